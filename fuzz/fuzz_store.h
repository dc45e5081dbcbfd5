#pragma once
// A demo server's store made once per fuzzing process, so every input meets
// hospitals, cases, needs and code books; beside the demo hospital a small
// rival hospital whose records hold a secret no one of the demo hospital may
// be shown. Inputs act as a person of the demo through a session that
// LiveSession restores before each input, so an input that logs out or
// changes that person cannot cut the later ones off from the request
// handling behind the log-in.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "audit_writer.h"
#include "login_service.h"
#include "server_config.h"
#include "session_store.h"
#include "sqlite_storage.h"

namespace dalvero::fuzz {

// A person the inputs act as.
struct Actor {
    std::int64_t person = 0;
    server::FieldValues fields;  // the Personnel record's own fields before any input
    std::string session;
};

struct DemoServer {
    server::ServerConfig config;
    std::unique_ptr<server::SqliteStorage> storage;
    std::unique_ptr<server::LoginService> logins;
    std::unique_ptr<server::AuditWriter> trail;
    std::unique_ptr<server::SessionStore> sessions;
    Actor administrator;  // the demo's first administrator
    Actor planner;        // a discharge planner of the demo, and nothing more
    // Random text made at start-up that only the rival hospital's case, its
    // need and its patient's non-intake field hold.
    std::string rivalSecret;
};

DemoServer& Demo();

// The actor's session, opened again when the last input ended it, with the
// actor's Personnel record put back as it was.
const std::string& LiveSession(Actor& actor);

// Whether text holds the rival's secret. Compares without the fuzzer's
// comparison hooks, so the secret never becomes a word the fuzzer writes.
bool ShowsRivalSecret(std::string_view text);

}  // namespace dalvero::fuzz
