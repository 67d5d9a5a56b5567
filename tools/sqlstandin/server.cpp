#include "server.h"

#include "session.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace sqlstandin {

Server::Server(const Options& options) : context_(options) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    // Loopback unless asked for another address (a test's network namespace).
    if (::inet_pton(AF_INET, options.listenAddress.c_str(), &address.sin_addr) != 1 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 256) != 0) {
        const int error = errno;
        ::close(listenFd_);
        throw std::runtime_error("cannot listen on " + options.listenAddress + ":" + std::to_string(options.port) + ": " +
                                 std::strerror(error));
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

Server::~Server() {
    reap(true);
    if (listenFd_ >= 0) ::close(listenFd_);
}

void Server::run(int stopFd) {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, 1000);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (fds[1].revents & (POLLIN | POLLHUP))) break;
        if (ready > 0 && (fds[0].revents & POLLIN)) accept();
        reap(false);
    }
    ::close(listenFd_);
    listenFd_ = -1;
    reap(true);
}

void Server::accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    // Replies are small and a client waits for each: do not let Nagle hold them.
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    Worker& worker = workers_.emplace_back();
    worker.fd = fd;
    worker.finished = std::make_shared<std::atomic<bool>>(false);
    const int conn = nextConn_++;
    worker.thread = std::thread([this, fd, conn, finished = worker.finished] {
        try {
            Session session(fd, conn, context_);
            session.run();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "sqlstandin: connection %d failed: %s\n", conn, e.what());
        }
        ::shutdown(fd, SHUT_RDWR);
        *finished = true;
    });
}

// Sockets close only after their thread is joined, so a stop never shuts
// down a descriptor number that has since been reused.
void Server::reap(bool everything) {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (everything && !*it->finished) ::shutdown(it->fd, SHUT_RDWR);
        if (everything || *it->finished) {
            it->thread.join();
            ::close(it->fd);
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace sqlstandin
