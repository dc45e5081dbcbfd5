#pragma once
// The queue in front of password hashing. A hash takes a core for a fifth of
// a second, so at most `slots` run at once; log-ins beyond that wait their
// turn in arrival order, and only when `queue` of them are already waiting is
// one refused, at once. A shift's planners logging in together are served one
// after another instead of being turned away.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace dalvero::server {

class HashQueue {
public:
    // slots: hashes at once (at least one); queue: log-ins that may wait.
    HashQueue(int slots, int queue);

    // A slot, held until the Turn goes.
    class Turn {
    public:
        explicit Turn(HashQueue& owner) : owner_(&owner) {}
        Turn(Turn&& other) noexcept : owner_(other.owner_) { other.owner_ = nullptr; }
        Turn& operator=(Turn&&) = delete;
        ~Turn();

    private:
        HashQueue* owner_;
    };

    // Waits for a free slot behind those who came first; none, without
    // waiting, when the queue is full.
    std::optional<Turn> Enter();

private:
    void Leave();

    const int slots_;
    const int queue_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int running_ = 0;
    int waiting_ = 0;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t serving_ = 0;  // the ticket whose turn is next
};

}  // namespace dalvero::server
