#include "audit_writer.h"

#include <algorithm>
#include <iostream>

#include "audit_anchor.h"

namespace dalvero::server {

namespace {

// A batch this large is appended at once rather than after the delay.
constexpr std::size_t kMaxBatch = 512;

}  // namespace

AuditWriter::AuditWriter(Storage& storage, Clock clock, const AuditAnchor* anchor)
    : storage_(storage), clock_(std::move(clock)), anchor_(anchor), thread_([this] { Loop(); }) {}

AuditWriter::~AuditWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void AuditWriter::Record(const Principal& who, std::vector<AuditEntry> entries) {
    if (entries.empty()) return;
    const std::time_t now = clock_();
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (pending_.empty()) firstPending_ = Steady::now();
        pending_.push_back({who, std::move(entries), now});
        ++recorded_;
        // The writer needs to hear only of the batch's start (to time it)
        // and of a full batch; every other read costs no wake-up.
        wake = pending_.size() == 1 || pending_.size() == kMaxBatch;
    }
    if (wake) wake_.notify_one();
}

void AuditWriter::Flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = recorded_;
    if (done_ >= target) return;
    flushWanted_ = true;
    wake_.notify_one();
    appended_.wait(lock, [&] { return done_ >= target; });
}

void AuditWriter::Loop() {
    std::unique_lock lock(mutex_);
    Steady::time_point nextAnchor = Steady::now();
    for (;;) {
        const Steady::time_point now = Steady::now();
        const bool due = stopping_ || flushWanted_ || pending_.size() >= kMaxBatch ||
                         (!pending_.empty() && now >= firstPending_ + kDelay) || (anchor_ && now >= nextAnchor);
        if (!due) {
            const bool wasEmpty = pending_.empty();
            const auto woken = [&] {
                return stopping_ || flushWanted_ || pending_.size() >= kMaxBatch || (wasEmpty && !pending_.empty());
            };
            if (wasEmpty && !anchor_) {
                wake_.wait(lock, woken);  // nothing to time
                continue;
            }
            Steady::time_point wake = wasEmpty ? nextAnchor : firstPending_ + kDelay;
            if (anchor_) wake = std::min(wake, nextAnchor);
            wake_.wait_until(lock, wake, woken);
            continue;
        }
        std::vector<Reads> batch;
        batch.swap(pending_);
        flushWanted_ = false;
        const std::uint64_t through = recorded_;
        const bool last = stopping_;
        lock.unlock();
        Append(batch);
        if (anchor_ && (last || now >= nextAnchor)) {
            Anchor();
            nextAnchor = now + kAnchorEvery;
        }
        lock.lock();
        done_ = through;
        appended_.notify_all();
        if (last && pending_.empty()) return;
    }
}

void AuditWriter::Append(std::vector<Reads>& batch) {
    if (batch.empty()) return;
    try {
        // One transaction for the batch: it shares its commit with whatever
        // writes are queued with it.
        storage_.InTransaction([&] {
            for (const Reads& reads : batch) AppendAudit(storage_, reads.who, reads.entries, reads.time);
        });
    } catch (const std::exception& e) {
        std::size_t rows = 0;
        for (const Reads& reads : batch) rows += reads.entries.size();
        std::cerr << "audit trail: " << rows << " rows of reads could not be appended: " << e.what() << '\n';
    }
}

void AuditWriter::Anchor() {
    try {
        const AuditTip tip = NewestAuditRow(storage_);
        if (tip.seq == anchoredSeq_) return;
        anchor_->Append(tip.seq, tip.hash);
        anchoredSeq_ = tip.seq;
    } catch (const std::exception& e) {
        std::cerr << "audit trail: cannot anchor: " << e.what() << '\n';
    }
}

}  // namespace dalvero::server
