#include "data_server_session.h"

#include <array>
#include <charconv>
#include <ctime>

#include "authorized_storage.h"
#include "date_text.h"
#include "file_transfers.h"
#include "join_plan.h"
#include "list_query.h"
#include "record_requests.h"
#include "request_error.h"
#include "string_list.h"
#include "table_catalogue.h"

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

// The client update may be fetched before a log-in: a client older than the
// log-in request must be able to replace itself.
bool IsClientUpdateFile(const frame::Header& header, std::string_view name) {
    constexpr std::string_view kFolder = "Clients";
    return header.command == frame::cmd::kFile && name.size() > kFolder.size() &&
           SameText(name.substr(0, kFolder.size()), kFolder) &&
           (name[kFolder.size()] == '\\' || name[kFolder.size()] == '/');
}

}  // namespace

DataServerSession::DataServerSession(Storage& storage, LoginService& logins, AuditWriter& trail,
                                     std::filesystem::path dataFolder, std::string remoteAddress,
                                     RecordFileQuota quota)
    : storage_(storage),
      logins_(logins),
      trail_(trail),
      dataFolder_(std::move(dataFolder)),
      remoteAddress_(std::move(remoteAddress)),
      quota_(quota) {}

template <typename Fn>
auto DataServerSession::AsPerson(Fn fn) {
    AuthorizedStorage view(
        storage_, *who_, [this](std::string_view password) { return logins_.HashForStorage(password); }, trail_,
        &foundBySsn_);
    try {
        auto result = fn(view);
        trail_.Record(*who_, view.TakeAudit());
        return result;
    } catch (...) {
        trail_.Record(*who_, view.TakeAudit());
        throw;
    }
}

void DataServerSession::RequireLogIn(const frame::Header& header, std::string_view payload,
                                     std::optional<SessionInfo>* storeLater) {
    if (!who_) {
        if (IsClientUpdateFile(header, payload)) return;
        throw RequestError(ErrorCode::NotLoggedIn, "Log in first");
    }
    // A keyed look-up on every request: a log-out, an ended session or a
    // changed role holds from the next request on, whichever connection
    // carries it.
    std::optional<Principal> who = logins_.Resume(token_, storeLater);
    if (!who) {
        Unbind();
        throw RequestError(ErrorCode::NotLoggedIn, "The session has ended; log in again");
    }
    who->address = remoteAddress_;
    who_ = std::move(who);
}

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
    std::string refusal;
    try {
        if (!accepted_) throw RequestError(ErrorCode::NotAccepted, "Handshake required");
        RequireLogIn(header, payload);
    } catch (const RequestError& e) {
        refusal = ErrorReply(e.code(), e.what());
    }
    if (!refusal.empty())
        return header.subCommand == sub::kUpload ? FileTransfers::RefuseUpload(channel, refusal)
                                                 : FileTransfers::RefuseDownload(channel, refusal);
    const std::filesystem::path files = dataFolder_ / "files";
    if (header.command == cmd::kFile) return FileTransfers(storage_, files).Download(payload, channel);
    return AsPerson([&](Storage& view) {
        FileTransfers transfers(view, files, quota_);
        return header.subCommand == sub::kDownload ? transfers.GetRecordFile(payload, channel)
                                                   : transfers.PutRecordFile(payload, channel);
    });
}

std::string DataServerSession::Handle(const frame::Header& header, std::string_view payload) {
    try {
        if (header.command == cmd::kHandshake) return Handshake(payload);
        if (header.command == cmd::kServerDate) return DateItem();
        if (!accepted_) throw RequestError(ErrorCode::NotAccepted, "Handshake required");
        if (header.command == cmd::kLogIn) return LogIn(payload);
        if (header.command == cmd::kLogOut) return LogOut();
        if (header.command == cmd::kRecord &&
            (header.subCommand == sub::kRead || header.subCommand == sub::kReadFields))
            return ReadRecord(header, payload);
        RequireLogIn(header, payload);
        if (header.command == cmd::kFile && header.subCommand == sub::kFileInfo)
            return FileTransfers(storage_, dataFolder_ / "files").FileInfo(payload);
        if (header.command == cmd::kQuery)
            return AsPerson([&](Storage& view) { return HandleQuery(view, payload); });
        if (header.command == cmd::kRecord)
            return AsPerson([&](Storage& view) {
                return HandleRecordRequest(view, header.subCommand, payload, {&storage_, who_->person});
            });
        throw RequestError(ErrorCode::UnknownCommand, "Unknown command " + std::to_string(header.command) + "/" +
                                                          std::to_string(header.subCommand));
    } catch (const RequestError& e) {
        return ErrorReply(e.code(), e.what());
    } catch (const AccessDenied& e) {
        return ErrorReply(ErrorCode::Forbidden, e.what());
    } catch (const std::exception& e) {
        return InternalErrorReply(e.what());
    }
}

std::string DataServerSession::ReadRecord(const frame::Header& header, std::string_view payload) {
    std::optional<SessionInfo> storeLater;
    std::string reply;
    auto storeUse = [&] {
        if (storeLater) logins_.StoreUse(*storeLater);
    };
    try {
        storage_.InReadTransaction([&] {
            RequireLogIn(header, payload, &storeLater);
            reply = AsPerson([&](Storage& view) {
                return HandleRecordRequest(view, header.subCommand, payload, {&storage_, who_->person});
            });
        });
    } catch (...) {
        storeUse();
        throw;
    }
    storeUse();
    return reply;
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
        // For health checks: which build answers.
        reply.push_back("Version=" DALVERO_VERSION);
        // A client reconnecting gives its session as the key and goes on as
        // the same person; anything else leaves the connection logged out.
        if (const std::string key = items.Value("Key"); !key.empty()) {
            if (std::optional<Principal> who = logins_.Resume(key)) {
                Unbind();
                who->address = remoteAddress_;
                who_ = std::move(who);
                token_ = key;
            }
        }
    }
    return ToCommaText(reply);
}

std::string DataServerSession::LogIn(std::string_view payload) {
    const StringList items(ParseCommaText(payload));
    Unbind();
    LoginResult result = logins_.LogIn(items.Value("Email"), items.Value("Password"), remoteAddress_);
    if (!result.ok) throw RequestError(ErrorCode::LoginFailed, result.error);
    who_ = std::move(result.who);
    token_ = result.token;
    // The person's record as a record read gives it, so the client keeps it
    // as it kept the record it used to read itself; the password stays here.
    const schema::TableDef& personnel = *schema::FindTable(catalogue::tbl::kPersonnel);
    std::vector<std::string> record{personnel.name};
    for (int field = 1; field <= personnel.lastField; ++field) record.push_back(FieldValue(result.person, field));
    return ToCommaText({"Session=" + token_, "Record=" + ToCommaText(record)});
}

std::string DataServerSession::LogOut() {
    if (who_) logins_.LogOut(token_, *who_);
    Unbind();
    return "OK";
}

void DataServerSession::Unbind() {
    who_.reset();
    token_.clear();
    foundBySsn_.clear();
}

}  // namespace dalvero::server
