#pragma once
// A running dalvero-server: the store, the mailer and the listeners of one
// data folder (DataServer, FunctionServer and, when configured, HL7). The
// executable runs one until it is signalled; tests start one on free
// loopback ports.

#include <filesystem>
#include <memory>
#include <string>

#include "server_config.h"

namespace dalvero::server {

class ServerInstance {
public:
    // Throws ConfigError, StorageError or std::runtime_error when the folder
    // cannot be served (configuration, database, certificate, a busy port).
    // Ports of -1 keep the configured ones; 0 picks free ports. The HL7
    // listener runs only when server.ini turns it on.
    explicit ServerInstance(const std::filesystem::path& dataDir, int dataPort = -1, int functionPort = -1,
                            int hl7Port = -1);
    ~ServerInstance();
    ServerInstance(const ServerInstance&) = delete;
    ServerInstance& operator=(const ServerInstance&) = delete;

    int DataPort() const;
    int FunctionPort() const;
    int Hl7Port() const;  // 0 while the HL7 listener is off
    // Connections open on all listeners now.
    std::size_t OpenConnections() const;
    const ServerConfig& Config() const;
    void Stop();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace dalvero::server
