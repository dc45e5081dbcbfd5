#pragma once
// Log-in sessions kept in the store, so that every server process can check
// them: the DataServer log-in opens one and hands its token to the client,
// the FunctionServer and a reconnecting DataServer connection check it. A
// session ends at log-out, after sessionIdleMinutes without use and at
// sessionMaxHours. Only a digest of the token is stored.
//
// Every check is a use: the last use is kept in memory at once and written to
// the store now and then (well within the idle time), so that reads stay
// reads and an active person is never taken for an idle one.

#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "storage.h"

namespace dalvero::server {

struct SessionInfo {
    std::int64_t person = 0;
    std::string address;  // of the log-in
    std::int64_t seq = 0;
    bool storeUse = false;  // the use is due to be written (Check with storeLater)
};

class SessionStore {
public:
    SessionStore(Storage& storage, int idleMinutes, int maxHours);

    // A new session for the person; the token (64 hex digits) goes to the client.
    std::string Open(std::int64_t person, const std::string& address, std::time_t now);
    // The session's person while the token names a live session; marks it
    // used. With storeLater the write of the use, when one is due, is left to
    // StoreUse, so that the check itself only reads (inside a read snapshot).
    std::optional<SessionInfo> Check(const std::string& token, std::time_t now, bool storeLater = false);
    void StoreUse(const SessionInfo& session, std::time_t now);
    void End(const std::string& token);
    // Sessions not ended nor expired as the store has it; one idle for nearly
    // the limit may still count, its last use being written only now and then.
    std::int64_t CountOpen(std::time_t now);

private:
    std::optional<Record> Find(const std::string& token);

    Storage& storage_;
    std::time_t idleSeconds_;
    std::time_t maxSeconds_;
    std::time_t storeEvery_;  // how stale the stored last use may grow
    std::mutex mutex_;
    std::map<std::int64_t, std::time_t> lastUse_;  // by session Seq, newer than the store's
};

}  // namespace dalvero::server
