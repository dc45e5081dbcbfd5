#include "hash_queue.h"

#include <algorithm>

namespace dalvero::server {

HashQueue::HashQueue(int slots, int queue) : slots_(std::max(1, slots)), queue_(std::max(0, queue)) {}

HashQueue::Turn::~Turn() {
    if (owner_) owner_->Leave();
}

std::optional<HashQueue::Turn> HashQueue::Enter() {
    std::unique_lock lock(mutex_);
    if (waiting_ == 0 && running_ < slots_) {
        ++running_;
        return Turn(*this);
    }
    if (waiting_ >= queue_) return std::nullopt;
    ++waiting_;
    // Tickets keep the order of arrival: a slot freed goes to the longest
    // waiting log-in, never to one that has just come.
    const std::uint64_t ticket = nextTicket_++;
    changed_.wait(lock, [&] { return ticket == serving_ && running_ < slots_; });
    --waiting_;
    ++serving_;
    ++running_;
    changed_.notify_all();
    return Turn(*this);
}

void HashQueue::Leave() {
    {
        std::lock_guard lock(mutex_);
        --running_;
    }
    changed_.notify_all();
}

}  // namespace dalvero::server
