#pragma once
// A fixed set of threads running queued jobs in arrival order: requests in
// progress get a worker; waiting connections get none.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace dalvero::server {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    // Runs the jobs already queued, then joins the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Post(std::function<void()> job);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace dalvero::server
