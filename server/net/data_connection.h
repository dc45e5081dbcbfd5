#pragma once
// The DataServer's side of a connection: request frames (header and
// payload) gathered whole, each answered by the connection's session.

#include <filesystem>

#include "connection_protocol.h"
#include "file_transfers.h"
#include "login_service.h"

namespace dalvero::server {

class Storage;
class LoginService;
class AuditWriter;

class DataProtocol final : public ConnectionProtocol {
public:
    DataProtocol(Storage& storage, LoginService& logins, AuditWriter& trail, std::filesystem::path dataFolder,
                 RecordFileQuota quota)
        : storage_(storage), logins_(logins), trail_(trail), dataFolder_(std::move(dataFolder)), quota_(quota) {}
    std::size_t RequestSize(std::string_view buffered) const override;
    bool MayWait(std::string_view buffered) const override;
    bool ServedOnLoop(std::string_view buffered) const override;
    void StartLoop() override;
    std::unique_ptr<RequestHandler> Open(const std::string& remoteAddress) override;

private:
    Storage& storage_;
    LoginService& logins_;
    AuditWriter& trail_;
    std::filesystem::path dataFolder_;
    RecordFileQuota quota_;
};

}  // namespace dalvero::server
