#include "server_instance.h"

#include <stdexcept>

#include <openssl/ssl.h>

#include "adt_receiver.h"
#include "audit_anchor.h"
#include "audit_writer.h"
#include "data_connection.h"
#include "function_connection.h"
#include "function_server.h"
#include "mailer.h"
#include "mllp_connection.h"
#include "open_file_limit.h"
#include "private_files.h"
#include "server_log.h"
#include "table_catalogue.h"
#include "connection_server.h"
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

// The data folder's audit anchor, its key made when an older folder has none.
AuditAnchor OpenAuditAnchor(const ServerConfig& config) {
    AuditAnchor::MakeKey(AuditKeyFile(config));
    return AuditAnchor(AuditKeyFile(config), AuditAnchorFile(config));
}

}  // namespace

// Members stop in reverse order: the listeners first, then the audit writer
// appends what waits, then the store finishes its queued writes.
struct ServerInstance::Parts {
    ServerConfig config;
    std::unique_ptr<SqlStorage> store;
    Storage& storage;
    AuditAnchor anchor;
    AuditWriter trail;
    mail::Mailer mailer;
    LoginService logins;
    FunctionServer functions;
    TlsContext tls;
    DataProtocol dataProtocol;
    FunctionProtocol functionProtocol;
    hl7::AdtReceiver adtReceiver;
    MllpProtocol mllpProtocol;
    std::unique_ptr<ConnectionServer> dataListener;
    std::unique_ptr<ConnectionServer> functionListener;
    std::unique_ptr<ConnectionServer> hl7Listener;  // only when server.ini names its port

    explicit Parts(ServerConfig cfg)
        : config(std::move(cfg)),
          store(OpenStorage(config.storage)),
          storage(*store),
          anchor(OpenAuditAnchor(config)),
          trail(storage, FunctionServer::DefaultClock(), &anchor),
          mailer(MailSettings(config.mail)),
          logins(storage, config.security),
          functions(storage, mailer, logins, trail),
          dataProtocol(storage, logins, trail, config.dataDir,
                       RecordFileQuota{config.recordFiles.perRecordBytes, config.recordFiles.totalBytes}),
          functionProtocol(functions),
          adtReceiver(storage, trail, config.hl7.facilities),
          mllpProtocol(adtReceiver, config.hl7.allowFrom) {}
};

ServerInstance::ServerInstance(const std::filesystem::path& dataDir, int dataPort, int functionPort, int hl7Port) {
    ServerConfig config = LoadServerConfig(dataDir);
    if (dataPort >= 0) config.dataServer.port = dataPort;
    if (functionPort >= 0) config.functionServer.port = functionPort;
    if (hl7Port >= 0) config.hl7.listen.port = hl7Port;
    RestrictPrivateFiles(config);
    const long files = RaiseOpenFileLimit();
    // Each connection on either port needs a descriptor; a few more go to
    // the store and the listeners.
    if (files > 0 && files < 2L * config.connections.maxConnections + 64)
        Log("only " + std::to_string(files) + " open files allowed; fewer connections than configured can be served");
    parts_ = std::make_unique<Parts>(std::move(config));
    const ServerConfig& c = parts_->config;
    // A facility mapped to no hospital would file admissions under a record no one sees.
    for (const auto& [facility, hospital] : c.hl7.facilities)
        if (!parts_->storage.Read(catalogue::tbl::kProviderEntities, std::stoll(hospital)))
            throw std::runtime_error((c.dataDir / "server.ini").string() + " [HL7] Facility." + facility +
                                     ": no hospital has Seq " + hospital);

    const char* failure = nullptr;
    parts_->tls = CreateServerTlsContext(c.certificateFile.string(), c.keyFile.string(), {}, &failure);
    if (!parts_->tls)
        throw std::runtime_error(std::string("cannot load the server certificate ") + c.certificateFile.string() +
                                 ": " + (failure ? failure : "unknown error"));
    // Idle connections are many; their TLS read and write buffers are not kept.
    SSL_CTX_set_mode(parts_->tls.get(), SSL_MODE_RELEASE_BUFFERS);
    // Both servers speak TLS with the same certificate.
    parts_->dataListener =
        std::make_unique<ConnectionServer>("data server", parts_->dataProtocol, parts_->tls.get(), c.connections);
    parts_->functionListener = std::make_unique<ConnectionServer>("function server", parts_->functionProtocol,
                                                                  parts_->tls.get(), c.connections);
    // A listener that cannot start names the settings that chose its address.
    auto start = [&](ConnectionServer& listener, const ListenAddress& address, const char* section) {
        std::string error;
        if (listener.Start(address.bind, address.port, error)) return;
        Stop();
        throw std::runtime_error((c.dataDir / "server.ini").string() + " [" + section + "] Bind, Port: " + error);
    };
    start(*parts_->dataListener, c.dataServer, "DataServer");
    start(*parts_->functionListener, c.functionServer, "FunctionServer");
    if (c.hl7.enabled) {
        parts_->hl7Listener = std::make_unique<ConnectionServer>(
            "HL7 listener", parts_->mllpProtocol, c.hl7.tls ? parts_->tls.get() : nullptr, c.connections);
        start(*parts_->hl7Listener, c.hl7.listen, "HL7");
    }
}

ServerInstance::~ServerInstance() { Stop(); }

int ServerInstance::DataPort() const { return parts_->dataListener->Port(); }
int ServerInstance::FunctionPort() const { return parts_->functionListener->Port(); }
int ServerInstance::Hl7Port() const { return parts_->hl7Listener ? parts_->hl7Listener->Port() : 0; }
std::size_t ServerInstance::OpenConnections() const {
    return parts_->dataListener->OpenConnections() + parts_->functionListener->OpenConnections() +
           (parts_->hl7Listener ? parts_->hl7Listener->OpenConnections() : 0);
}
const ServerConfig& ServerInstance::Config() const { return parts_->config; }

void ServerInstance::Stop() {
    if (!parts_) return;
    for (auto* listener : {parts_->hl7Listener.get(), parts_->dataListener.get(), parts_->functionListener.get()})
        if (listener) listener->Stop();
}

}  // namespace dalvero::server
