#include "server_instance.h"

#include <stdexcept>

#include "data_connection.h"
#include "function_connection.h"
#include "function_server.h"
#include "mailer.h"
#include "server_log.h"
#include "sqlite_storage.h"
#include "tcp_listener.h"
#include "tls_context.h"

namespace dalvero::server {

namespace {

mail::Settings MailSettings(const MailConfig& config) {
    mail::Settings settings;
    settings.relay = config.relay;
    if (config.port) settings.port = config.port;
    settings.startTls = config.startTls;
    settings.user = config.user;
    settings.password = config.password;
    if (!config.from.empty()) settings.from = config.from;
    settings.outbox = config.outboxDir;
    return settings;
}

}  // namespace

struct ServerInstance::Parts {
    ServerConfig config;
    SqliteStorage storage;
    mail::Mailer mailer;
    LoginService logins;
    FunctionServer functions;
    TlsContext tls;
    TcpListener dataListener;
    TcpListener functionListener;

    explicit Parts(ServerConfig cfg)
        : config(std::move(cfg)),
          storage(config.databaseFile.string()),
          mailer(MailSettings(config.mail)),
          logins(storage, config.security),
          functions(storage, mailer, logins),
          dataListener("data server",
                       [this](int fd, const std::string& remote) {
                           ServeDataConnection(fd, remote, tls.get(), storage, logins, config.dataDir);
                       }),
          functionListener("function server", [this](int fd, const std::string& remote) {
              ServeFunctionConnection(fd, remote, functions);
          }) {}
};

ServerInstance::ServerInstance(const std::filesystem::path& dataDir, int dataPort, int functionPort) {
    ServerConfig config = LoadServerConfig(dataDir);
    if (dataPort >= 0) config.dataServer.port = dataPort;
    if (functionPort >= 0) config.functionServer.port = functionPort;
    parts_ = std::make_unique<Parts>(std::move(config));
    const ServerConfig& c = parts_->config;

    const char* failure = nullptr;
    parts_->tls = CreateServerTlsContext(c.certificateFile.string(), c.keyFile.string(), {}, &failure);
    if (!parts_->tls)
        throw std::runtime_error(std::string("cannot load the server certificate ") + c.certificateFile.string() +
                                 ": " + (failure ? failure : "unknown error"));
    std::string error;
    if (!parts_->dataListener.Start(c.dataServer.bind, c.dataServer.port, error) ||
        !parts_->functionListener.Start(c.functionServer.bind, c.functionServer.port, error)) {
        Stop();
        throw std::runtime_error(error);
    }
}

ServerInstance::~ServerInstance() { Stop(); }

int ServerInstance::DataPort() const { return parts_->dataListener.Port(); }
int ServerInstance::FunctionPort() const { return parts_->functionListener.Port(); }
const ServerConfig& ServerInstance::Config() const { return parts_->config; }

void ServerInstance::Stop() {
    if (!parts_) return;
    parts_->dataListener.Stop();
    parts_->functionListener.Stop();
}

}  // namespace dalvero::server
