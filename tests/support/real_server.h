#pragma once
// A real dalvero-server for tests: a data folder made once per test program
// (with or without the demo hospital) and copied for each server, served in
// this process on free loopback ports.
//
//     dalvero::test::RealServer server(dalvero::test::RealServer::Demo);
//     auto db = server.ConnectData();      // TLS, verified, logged in as a demo administrator
//     auto fn = server.ConnectFunctions(); // carrying that administrator's session
//     server.WriteClientIni(folder);       // a Dalvero.ini with these ports
//
// The folders use a small password hash count ([Security] PasswordIterations)
// and no log-in delays, so tests may log in often and fail log-ins freely.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db_server_connection.h"
#include "demo_hospital.h"
#include "sql_storage.h"
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
    // The first demo log-in with exactly these roles ("Administrator", ...).
    const server::DemoLogin& DemoUser(const std::string& roles) const;

    // PBKDF2 rounds of the test folders' password policy.
    static constexpr int kPasswordIterations = 1000;

    // A DataServer connection logged in as `as` (the first demo
    // administrator by default); with logIn false, only the handshake.
    std::unique_ptr<dbServerConnection> ConnectData(const std::string& programId = "Dalvero", bool logIn = true,
                                                    const server::DemoLogin* as = nullptr) const;
    // The first demo administrator of the prepared demo folder, which every
    // copy of it shares.
    static const server::DemoLogin& DemoAdministrator();
    // The first log-in of the prepared demo folder with exactly these roles.
    static const server::DemoLogin& DemoLoginWith(const std::string& roles);
    // A DataServer connection to a loopback port, logged in as user unless
    // that is null.
    static std::unique_ptr<dbServerConnection> ConnectDataAt(int port, const std::string& caFile,
                                                             const std::string& programId,
                                                             const server::DemoLogin* user);
    // A FunctionServer connection carrying the session of a DataServer log-in
    // as `as` (the first demo administrator by default); none with logIn false.
    std::unique_ptr<dbServerConnection> ConnectFunctions(bool logIn = true,
                                                         const server::DemoLogin* as = nullptr) const;
    // The server's store opened a second time, as an administrator of the
    // server machine would: no log-in, no checks, no hashing.
    std::unique_ptr<server::SqlStorage> OpenStore() const;
    // Sets a [Security] value of server.ini and serves the folder again.
    void SetSecurity(const std::string& key, const std::string& value);
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
