#pragma once
// A DataServer on 127.0.0.1 (a free port, plain TCP) with one thread and one
// session per connection, so the client's own connection and record batches
// can be pointed at the real request handling. Log-ins use TestSecurity().

#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audit_writer.h"
#include "login_service.h"
#include "storage.h"

namespace dalvero::test {

// A small hash count and no log-in delays: tests log in often.
server::SecurityConfig TestSecurity();

class LoopbackDataServer {
public:
    LoopbackDataServer(server::Storage& storage, std::filesystem::path dataFolder);
    ~LoopbackDataServer();
    LoopbackDataServer(const LoopbackDataServer&) = delete;
    LoopbackDataServer& operator=(const LoopbackDataServer&) = delete;

    std::string PortText() const { return std::to_string(port_); }

private:
    void AcceptLoop();
    void Serve(int fd);

    server::Storage& storage_;
    server::LoginService logins_;
    server::AuditWriter trail_;
    std::filesystem::path dataFolder_;
    int listenFd_ = -1;
    int port_ = 0;
    std::thread acceptThread_;
    std::mutex mutex_;
    bool stopping_ = false;
    std::vector<int> openFds_;
    std::vector<std::thread> connections_;
};

}  // namespace dalvero::test
