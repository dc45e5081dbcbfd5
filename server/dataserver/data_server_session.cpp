#include "data_server_session.h"

#include <array>
#include <charconv>
#include <ctime>

#include "date_text.h"
#include "list_query.h"
#include "record_requests.h"
#include "request_error.h"
#include "string_list.h"

namespace dalvero::server {

namespace cmd = frame::cmd;
namespace sub = frame::sub;

namespace {

// The server's local date and time as days since 30 December 1899, the time
// of day as the fraction.
std::string DateItem() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const double days = DaySerial({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}) +
                        (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), days, std::chars_format::fixed, 6).ptr;
    return "Date=" + std::string(text.data(), end);
}

}  // namespace

DataServerSession::DataServerSession(Storage& storage, std::filesystem::path dataFolder, std::string remoteAddress,
                                     RecordFileQuota quota)
    : storage_(storage),
      dataFolder_(std::move(dataFolder)),
      remoteAddress_(std::move(remoteAddress)),
      files_(storage, dataFolder_ / "files", quota) {}

bool DataServerSession::IsTransfer(const frame::Header& header) {
    return (header.command == cmd::kFile && header.subCommand == sub::kDownload) ||
           (header.command == cmd::kRecordFile &&
            (header.subCommand == sub::kDownload || header.subCommand == sub::kUpload));
}

bool DataServerSession::ServeNext(Channel& channel) {
    std::array<std::uint8_t, frame::kHeaderSize> bytes{};
    if (!channel.Read(bytes.data(), bytes.size())) return false;
    const frame::Header header = frame::DecodeHeader(bytes.data());
    if (header.length == 0 || header.length > frame::kMaxPayload) return false;
    std::string payload(header.length, '\0');
    if (!channel.Read(payload.data(), payload.size())) return false;
    if (const auto zero = payload.find('\0'); zero != std::string::npos) payload.resize(zero);
    return Serve(header, payload, channel);
}

bool DataServerSession::Serve(const frame::Header& header, std::string_view payload, Channel& channel) {
    if (!IsTransfer(header)) return WriteReply(channel, Handle(header, payload));
    if (!accepted_) {
        const std::string refusal = ErrorReply(ErrorCode::NotAccepted, "Handshake required");
        return header.subCommand == sub::kUpload ? FileTransfers::RefuseUpload(channel, refusal)
                                                 : FileTransfers::RefuseDownload(channel, refusal);
    }
    if (header.command == cmd::kFile) return files_.Download(payload, channel);
    return header.subCommand == sub::kDownload ? files_.GetRecordFile(payload, channel)
                                               : files_.PutRecordFile(payload, channel);
}

std::string DataServerSession::Handle(const frame::Header& header, std::string_view payload) {
    try {
        if (header.command == cmd::kHandshake) return Handshake(payload);
        if (header.command == cmd::kServerDate) return DateItem();
        if (!accepted_) throw RequestError(ErrorCode::NotAccepted, "Handshake required");
        if (header.command == cmd::kQuery) return HandleQuery(storage_, payload);
        if (header.command == cmd::kRecord) return HandleRecordRequest(storage_, header.subCommand, payload);
        if (header.command == cmd::kFile && header.subCommand == sub::kFileInfo) return files_.FileInfo(payload);
        throw RequestError(ErrorCode::UnknownCommand, "Unknown command " + std::to_string(header.command) + "/" +
                                                          std::to_string(header.subCommand));
    } catch (const RequestError& e) {
        return ErrorReply(e.code(), e.what());
    } catch (const std::exception& e) {
        return ErrorReply(ErrorCode::Internal, e.what());
    }
}

std::string DataServerSession::Handshake(std::string_view payload) {
    const StringList items(ParseCommaText(payload));
    accepted_ = SameText(items.Value("ProgramID"), kProgramId);
    // The date goes out even to a refused client: without it the client asks
    // for the date alone and takes the connection as usable.
    std::vector<std::string> reply{DateItem(), std::string("Accepted=") + (accepted_ ? "Y" : "N")};
    if (accepted_) {
        reply.push_back("RunningFolder=" + dataFolder_.string());
        reply.push_back("RemoteIP=" + remoteAddress_);
    }
    return ToCommaText(reply);
}

}  // namespace dalvero::server
