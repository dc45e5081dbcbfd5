#include "write_queue.h"

#include "sqlite_connection.h"
#include "storage.h"

namespace dalvero::server {

namespace {

// Enough to share one sync among every planner of a busy hospital, few
// enough that a group never holds the write lock for long.
constexpr std::size_t kMaxGroup = 256;

}  // namespace

struct WriteQueue::Job {
    const std::function<void()>& fn;
    std::exception_ptr failure;
    bool ran = false;
    bool done = false;
};

WriteQueue::WriteQueue(SqliteConnection& connection, const std::function<void()>& onStart)
    : connection_(connection), thread_([this, onStart] { Loop(onStart); }) {}

WriteQueue::~WriteQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_one();
    thread_.join();
}

void WriteQueue::Run(const std::function<void()>& fn) {
    Job job{fn};
    std::unique_lock lock(mutex_);
    jobs_.push_back(&job);
    queued_.notify_one();
    finished_.wait(lock, [&] { return job.done; });
    if (job.failure) std::rethrow_exception(job.failure);
}

void WriteQueue::Loop(const std::function<void()>& onStart) {
    onStart();
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        std::deque<Job*> group;
        while (!jobs_.empty() && group.size() < kMaxGroup) {
            group.push_back(jobs_.front());
            jobs_.pop_front();
        }
        lock.unlock();
        RunGroup(group);
        lock.lock();
        // Jobs SQLite gave no chance to run go first in the next group.
        for (auto it = group.rbegin(); it != group.rend(); ++it)
            if (!(*it)->ran) jobs_.push_front(*it);
        for (Job* job : group) job->done = job->ran;
        finished_.notify_all();
    }
}

void WriteQueue::RunGroup(std::deque<Job*>& group) {
    auto failAll = [&](std::exception_ptr failure) {
        for (Job* job : group) {
            job->ran = true;
            if (!job->failure) job->failure = failure;
        }
    };
    try {
        connection_.Run("BEGIN IMMEDIATE");
    } catch (...) {
        return failAll(std::current_exception());
    }
    for (Job* job : group) {
        try {
            connection_.InSavepoint(job->fn);
        } catch (...) {
            job->failure = std::current_exception();
        }
        job->ran = true;
        if (!connection_.InTransaction()) {
            // SQLite undid the whole transaction (a full disk, say): the jobs
            // before this one lost their writes too; those after it run in
            // the next group.
            const auto lost = std::make_exception_ptr(StorageError("the write was undone: the transaction failed"));
            for (Job* undone : group) {
                if (!undone->failure) undone->failure = lost;
                if (undone == job) break;
            }
            return;
        }
    }
    try {
        connection_.Run("COMMIT");
    } catch (...) {
        connection_.Rollback();
        for (Job* job : group) job->failure = std::current_exception();
    }
}

}  // namespace dalvero::server
