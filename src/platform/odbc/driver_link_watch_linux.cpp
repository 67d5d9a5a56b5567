// The driver's connection on Linux: the process's sockets are listed in
// /proc/self/fd; a connection is ended with shutdown(2), never close(2), so
// the descriptor stays the driver's to close; the silence limit is TCP
// keep-alive together with TCP_USER_TIMEOUT.

#include "platform/odbc/driver_link_watch.h"

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Socket {
    int fd;
    ino_t inode;
};

int socketOption(int fd, int level, int name)
{
    int value = -1;
    socklen_t length = sizeof value;
    return ::getsockopt(fd, level, name, &value, &length) == 0 ? value : -1;
}

// Every TCP connection of the process (IPv4 or IPv6, not a listener).
std::vector<Socket> tcpConnections()
{
    std::vector<Socket> found;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(dir))
            continue;
        const int descriptor = static_cast<int>(fd);
        struct stat info {};
        if (::fstat(descriptor, &info) != 0 || !S_ISSOCK(info.st_mode))
            continue;
        const int domain = socketOption(descriptor, SOL_SOCKET, SO_DOMAIN);
        if ((domain != AF_INET && domain != AF_INET6)
            || socketOption(descriptor, SOL_SOCKET, SO_PROTOCOL) != IPPROTO_TCP
            || socketOption(descriptor, SOL_SOCKET, SO_ACCEPTCONN) != 0)
            continue;
        found.push_back({descriptor, info.st_ino});
    }
    ::closedir(dir);
    return found;
}

// The descriptor still holds the socket that was found (the driver may have
// closed it, and the number been given to something else, since).
bool stillThere(const Socket& socket)
{
    struct stat info {};
    return ::fstat(socket.fd, &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == socket.inode;
}

// Keep-alive probes from a third of the limit on, six of them spread over
// the rest; TCP_USER_TIMEOUT ends the connection once the limit has passed
// without an answer to them, or to anything sent.
void holdToSilenceLimit(int fd, std::chrono::seconds silence)
{
    const int limit = static_cast<int>(std::max<std::chrono::seconds::rep>(silence.count(), 1));
    const int idle = std::max(limit / 3, 1);
    const int probes = 6;
    const int interval = std::max((limit - idle) / probes, 1);
    const int on = 1;
    const unsigned int timeoutMs = static_cast<unsigned int>(limit) * 1000u;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &timeoutMs, sizeof timeoutMs);
}

// One thread for the whole program watches every attempt under way: a
// thread of its own for each connection would cost more than a login on
// loopback.
class Watcher final {
public:
    struct Attempt {
        std::chrono::steady_clock::time_point deadline;
        std::set<ino_t> before;
        bool expired = false;
    };

    static Watcher& instance()
    {
        static Watcher watcher;
        return watcher;
    }

    ~Watcher()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void arm(Attempt& attempt)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
            m_armed.push_back(&attempt);
        }
        m_wake.notify_all();
    }

    // Once this returns the watcher no longer touches the attempt, nor any
    // socket on its behalf: it ends connections only while holding the lock.
    bool disarm(Attempt& attempt)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_armed.erase(std::remove(m_armed.begin(), m_armed.end(), &attempt), m_armed.end());
        return attempt.expired;
    }

private:
    Watcher() = default;

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_quit) {
            const auto now = std::chrono::steady_clock::now();
            auto next = std::chrono::steady_clock::time_point::max();
            for (Attempt* attempt : m_armed) {
                if (!attempt->expired && attempt->deadline <= now)
                    attempt->expired = true;
                // The driver may try another address of the host after each
                // failure: an expired attempt is looked at again shortly.
                next = std::min(next, attempt->expired ? now + std::chrono::milliseconds(50) : attempt->deadline);
                if (attempt->expired)
                    endNewConnections(*attempt);
            }
            if (next == std::chrono::steady_clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
        }
    }

    static void endNewConnections(const Attempt& attempt)
    {
        for (const Socket& socket : tcpConnections()) {
            if (attempt.before.count(socket.inode) == 0 && stillThere(socket))
                ::shutdown(socket.fd, SHUT_RDWR);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Attempt*> m_armed;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace

struct DriverLinkWatch::State {
    LinkTimeouts timeouts;
    Watcher::Attempt attempt;
    bool armed = false;
    bool expired = false;
};

DriverLinkWatch::DriverLinkWatch(const LinkTimeouts& timeouts) : m_state(std::make_unique<State>())
{
    m_state->timeouts = timeouts;
    for (const Socket& socket : tcpConnections())
        m_state->attempt.before.insert(socket.inode);
    m_state->attempt.deadline = std::chrono::steady_clock::now() + timeouts.connect;
    Watcher::instance().arm(m_state->attempt);
    m_state->armed = true;
}

DriverLinkWatch::~DriverLinkWatch()
{
    if (m_state->armed)
        Watcher::instance().disarm(m_state->attempt);
}

void DriverLinkWatch::attemptReturned(bool connected)
{
    if (m_state->armed) {
        m_state->expired = Watcher::instance().disarm(m_state->attempt);
        m_state->armed = false;
    }
    if (!connected || m_state->expired)
        return;
    for (const Socket& socket : tcpConnections()) {
        if (m_state->attempt.before.count(socket.inode) != 0)
            continue;
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(socket.fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0)
            holdToSilenceLimit(socket.fd, m_state->timeouts.silence);
    }
}

bool DriverLinkWatch::expired() const
{
    return m_state->expired;
}
