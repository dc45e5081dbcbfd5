#pragma once
// Every write to the store goes through one queue: callers hand in their
// transactions, one thread runs them on the one write connection, all that
// are waiting in a single SQLite transaction (each in a savepoint of its own,
// so one failing undoes only its own writes), and one commit makes the whole
// group durable. Concurrent writers share that commit and its sync instead
// of sleeping in SQLite's busy handler for each other's.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace dalvero::server {

class SqliteConnection;

class WriteQueue {
public:
    // onStart runs first on the writer thread (to make the connection that
    // thread's own). The connection must outlive the queue.
    WriteQueue(SqliteConnection& connection, const std::function<void()>& onStart);
    // Runs what is queued, then stops.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // Runs fn on the writer thread inside a transaction and returns once its
    // writes are committed. Rethrows what fn threw (its writes undone), or a
    // StorageError when the commit failed (then nothing of it landed).
    void Run(const std::function<void()>& fn);

private:
    struct Job;

    void Loop(const std::function<void()>& onStart);
    void RunGroup(std::deque<Job*>& group);

    SqliteConnection& connection_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<Job*> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace dalvero::server
