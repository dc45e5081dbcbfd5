#pragma once
// A demo server's store made once per fuzzing process, so every input meets
// hospitals, cases, needs and code books, and a live session of the demo
// administrator, so inputs reach the request handling behind the log-in.

#include <memory>
#include <string>

#include "audit_writer.h"
#include "login_service.h"
#include "server_config.h"
#include "sqlite_storage.h"

namespace dalvero::fuzz {

struct DemoServer {
    server::ServerConfig config;
    std::unique_ptr<server::SqliteStorage> storage;
    std::unique_ptr<server::LoginService> logins;
    std::unique_ptr<server::AuditWriter> trail;
    std::string session;
};

DemoServer& Demo();

}  // namespace dalvero::fuzz
