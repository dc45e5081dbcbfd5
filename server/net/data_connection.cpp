#include "data_connection.h"

#include "data_server_session.h"
#include "frame.h"
#include "storage.h"

namespace dalvero::server {

namespace {

// Whether the calling event loop holds a read connection of its own: only
// then are short reads served on it.
thread_local bool loopReads = false;

class DataHandler final : public RequestHandler {
public:
    DataHandler(Storage& storage, LoginService& logins, AuditWriter& trail, const std::filesystem::path& dataFolder,
                const std::string& remote, RecordFileQuota quota)
        : session_(storage, logins, trail, dataFolder, remote, quota) {}
    // The frame is gathered; an upload's content follows from the socket.
    bool Serve(Channel& channel, std::size_t) override { return session_.ServeNext(channel); }

private:
    DataServerSession session_;
};

}  // namespace

std::size_t DataProtocol::RequestSize(std::string_view buffered) const {
    if (buffered.size() < frame::kHeaderSize) return 0;
    const frame::Header header = frame::DecodeHeader(reinterpret_cast<const std::uint8_t*>(buffered.data()));
    if (header.length == 0 || header.length > frame::kMaxPayload) return kBroken;
    const std::size_t size = frame::kHeaderSize + header.length;
    return buffered.size() >= size ? size : 0;
}

bool DataProtocol::MayWait(std::string_view buffered) const {
    return buffered.size() >= frame::kHeaderSize &&
           frame::DecodeHeader(reinterpret_cast<const std::uint8_t*>(buffered.data())).command == frame::cmd::kLogIn;
}

bool DataProtocol::ServedOnLoop(std::string_view buffered) const {
    if (!loopReads || buffered.size() < frame::kHeaderSize) return false;
    const frame::Header header = frame::DecodeHeader(reinterpret_cast<const std::uint8_t*>(buffered.data()));
    // A record by its Seq is one keyed read in one snapshot, and its audit
    // row is queued, not written; the server's date reads nothing.
    return header.command == frame::cmd::kServerDate ||
           (header.command == frame::cmd::kRecord &&
            (header.subCommand == frame::sub::kRead || header.subCommand == frame::sub::kReadFields));
}

void DataProtocol::StartLoop() { loopReads = storage_.HoldReadConnection(); }

std::unique_ptr<RequestHandler> DataProtocol::Open(const std::string& remoteAddress) {
    return std::make_unique<DataHandler>(storage_, logins_, trail_, dataFolder_, remoteAddress, quota_);
}

}  // namespace dalvero::server
