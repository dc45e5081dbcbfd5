#include "loopback_data_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "data_server_session.h"
#include "plain_socket.h"
#include "socket_channel.h"

namespace dalvero::test {

server::SecurityConfig TestSecurity() {
    server::SecurityConfig security;
    security.passwordIterations = 1000;
    security.loginDelaySeconds = 0;
    security.lockAfterFailures = 100000;
    return security;
}

LoopbackDataServer::LoopbackDataServer(server::Storage& storage, std::filesystem::path dataFolder)
    : storage_(storage),
      logins_(storage, TestSecurity()),
      trail_(storage, [] { return std::time(nullptr); }),
      dataFolder_(std::move(dataFolder)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on the loopback address");
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackDataServer::~LoopbackDataServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        ::shutdown(listenFd_, SHUT_RDWR);
        for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
    }
    acceptThread_.join();
    ::close(listenFd_);
    for (auto& connection : connections_) connection.join();
}

void LoopbackDataServer::AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(mutex_);
        if (fd < 0 || stopping_) {
            if (fd >= 0) ::close(fd);
            return;
        }
        openFds_.push_back(fd);
        connections_.emplace_back([this, fd] { Serve(fd); });
    }
}

void LoopbackDataServer::Serve(int fd) {
    PlainSocket socket;
    socket.Attach(fd, false);
    SocketChannel channel(socket);
    server::DataServerSession session(storage_, logins_, trail_, dataFolder_, "127.0.0.1");
    while (session.ServeNext(channel)) {
    }
    // Forget the descriptor before the socket closes it, so the destructor
    // never shuts down a number the system has handed out again.
    std::lock_guard lock(mutex_);
    openFds_.erase(std::find(openFds_.begin(), openFds_.end(), fd));
}

}  // namespace dalvero::test
