#pragma once
// Accepts TCP connections on one address and port and serves each on a thread
// of its own, up to a cap; Stop wakes every connection and waits for them.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace dalvero::server {

class TcpListener {
public:
    // Serves one accepted descriptor; the listener closes it afterwards.
    using Handler = std::function<void(int fd, const std::string& remoteAddress)>;

    TcpListener(std::string name, Handler handler, std::size_t maxConnections = 256);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Binds and listens (port 0 picks a free port); false with a reason.
    bool Start(const std::string& bindAddress, int port, std::string& error);
    int Port() const { return port_; }
    void Stop();

private:
    void AcceptLoop();
    void Serve(int fd, std::string remote);

    std::string name_;
    Handler handler_;
    std::size_t maxConnections_;
    int listenFd_ = -1;
    int port_ = 0;
    std::thread acceptThread_;

    std::mutex mutex_;
    std::condition_variable idle_;
    std::set<int> active_;
    std::list<std::thread> workers_;
    std::list<std::thread::id> finished_;
    bool stopping_ = false;
};

}  // namespace dalvero::server
