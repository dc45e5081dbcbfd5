#include "tcp_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server_log.h"

namespace dalvero::server {

TcpListener::TcpListener(std::string name, Handler handler, std::size_t maxConnections)
    : name_(std::move(name)), handler_(std::move(handler)), maxConnections_(maxConnections) {}

TcpListener::~TcpListener() { Stop(); }

bool TcpListener::Start(const std::string& bindAddress, int port, std::string& error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || inet_pton(AF_INET, bindAddress.c_str(), &addr.sin_addr) != 1) {
        error = "bad listen address " + bindAddress + ":" + std::to_string(port);
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 64) != 0) {
        error = "cannot listen on " + bindAddress + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    Log(name_ + " listening on " + bindAddress + ":" + std::to_string(port_));
    return true;
}

void TcpListener::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || listenFd_ < 0) return;
        stopping_ = true;
        // Wakes accept() and every connection blocked in a read.
        ::shutdown(listenFd_, SHUT_RDWR);
        for (int fd : active_) ::shutdown(fd, SHUT_RDWR);
    }
    if (acceptThread_.joinable()) acceptThread_.join();
    std::list<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (auto& t : workers)
        if (t.joinable()) t.join();
    ::close(listenFd_);
    listenFd_ = -1;
}

void TcpListener::AcceptLoop() {
    for (;;) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
        std::unique_lock lock(mutex_);
        if (stopping_) {
            if (fd >= 0) ::close(fd);
            return;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) continue;
            Log(name_ + " accept failed: " + std::strerror(errno));
            return;
        }
        // Reap the threads of connections that have ended.
        for (auto id : finished_) {
            for (auto it = workers_.begin(); it != workers_.end(); ++it) {
                if (it->get_id() == id) {
                    it->join();
                    workers_.erase(it);
                    break;
                }
            }
        }
        finished_.clear();
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        std::string remote = text;
        if (active_.size() >= maxConnections_) {
            Log(name_ + " refused " + remote + ": too many connections");
            ::close(fd);
            continue;
        }
        active_.insert(fd);
        workers_.emplace_back([this, fd, remote] { Serve(fd, remote); });
    }
}

void TcpListener::Serve(int fd, std::string remote) {
    try {
        handler_(fd, remote);
    } catch (const std::exception& e) {
        Log(name_ + " connection from " + remote + " failed: " + e.what());
    }
    std::lock_guard lock(mutex_);
    active_.erase(fd);
    ::close(fd);
    if (!stopping_) finished_.push_back(std::this_thread::get_id());
}

}  // namespace dalvero::server
