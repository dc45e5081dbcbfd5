#pragma once
// Reads of patient data are recorded without holding up their replies: their
// audit rows wait here and are appended in batches through the store's write
// queue, at most kDelay after they came (sooner when many wait, and before
// anyone reads the trail). Writes' rows never wait here: each is appended
// inside its write's own transaction (AuthorizedStorage). A crash can lose
// the reads of that last interval; a clean stop appends them all.
//
// With an anchor, the newest row is anchored when the writer starts, every
// kAnchorEvery while the trail grows, and when it stops.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "audit_trail.h"

namespace dalvero::server {

class AuditAnchor;

class AuditWriter {
public:
    using Clock = std::function<std::time_t()>;
    static constexpr std::chrono::milliseconds kDelay{200};
    static constexpr std::chrono::seconds kAnchorEvery{30};

    // The anchor, when given, must outlive the writer.
    AuditWriter(Storage& storage, Clock clock, const AuditAnchor* anchor = nullptr);
    // Appends what waits, anchors, and stops.
    ~AuditWriter();
    AuditWriter(const AuditWriter&) = delete;
    AuditWriter& operator=(const AuditWriter&) = delete;

    // The time audit rows are stamped with.
    std::time_t Now() const { return clock_(); }
    // Queues the rows of a person's reads, stamped now.
    void Record(const Principal& who, std::vector<AuditEntry> entries);
    // Returns once every row recorded before the call has been appended (or
    // its append failed, which is logged).
    void Flush();

private:
    struct Reads {
        Principal who;
        std::vector<AuditEntry> entries;
        std::time_t time;
    };
    using Steady = std::chrono::steady_clock;

    void Loop();
    void Append(std::vector<Reads>& batch);
    void Anchor();

    Storage& storage_;
    Clock clock_;
    const AuditAnchor* anchor_;
    std::int64_t anchoredSeq_ = -1;  // writer thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable appended_;
    std::vector<Reads> pending_;
    Steady::time_point firstPending_;
    std::uint64_t recorded_ = 0;  // Record calls so far
    std::uint64_t done_ = 0;      // of those, how many were appended or failed
    bool flushWanted_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the rest is ready
};

}  // namespace dalvero::server
