#pragma once
// A real dalvero-server for tests: a data folder made once per test program
// (with or without the demo hospital) and copied for each server, served in
// this process on free loopback ports.
//
//     dalvero::test::RealServer server(dalvero::test::RealServer::Demo);
//     auto db = server.ConnectData();      // TLS, verified against the CA
//     auto fn = server.ConnectFunctions();
//     server.WriteClientIni(folder);       // a Dalvero.ini with these ports

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db_server_connection.h"
#include "demo_hospital.h"
#include "temp_dir.h"

namespace dalvero::server {
class ServerInstance;
}

namespace dalvero::test {

class RealServer {
public:
    enum Content { Empty, Demo };

    explicit RealServer(Content content);
    // A fresh copy of the prepared data folder, for a server run some other
    // way (the caller removes it).
    static std::filesystem::path CopyDataFolder(Content content);
    ~RealServer();
    RealServer(const RealServer&) = delete;
    RealServer& operator=(const RealServer&) = delete;

    int DataPort() const;
    int FunctionPort() const;
    const std::filesystem::path& DataDir() const { return dir_.Path(); }
    std::string CaFile() const;
    // The demo's log-ins (empty for an empty folder).
    const std::vector<server::DemoLogin>& Logins() const;

    std::unique_ptr<dbServerConnection> ConnectData(const std::string& programId = "Dalvero") const;
    std::unique_ptr<dbServerConnection> ConnectFunctions() const;
    // Writes folder/Dalvero.ini naming this server's ports and CA.
    void WriteClientIni(const std::filesystem::path& folder) const;

    // Stops serving and serves the same folder again (on new ports).
    void Restart();
    // Server away and back: Stop breaks every connection and refuses new
    // ones; Resume serves the same folder again on the same ports.
    void Stop();
    void Resume();

private:
    TempDir dir_;  // before instance_: the server stops before its folder goes
    Content content_;
    std::unique_ptr<server::ServerInstance> instance_;
    int stoppedDataPort_ = 0;
    int stoppedFunctionPort_ = 0;
};

}  // namespace dalvero::test
