#include "platform/systemd/systemd_notifier.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

SystemdNotifier::SystemdNotifier() : m_socket(environment("NOTIFY_SOCKET"))
{
    const std::string usec = environment("WATCHDOG_USEC");
    const std::string pid = environment("WATCHDOG_PID");
    if (!usec.empty() && (pid.empty() || pid == std::to_string(::getpid()))) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(usec.c_str(), &end, 10);
        if (end && *end == '\0' && value > 0)
            m_watchdog = std::chrono::microseconds(value);
    }
}

bool SystemdNotifier::send(const std::string& state) const
{
    // An absolute path, or "@" for a name in the abstract namespace.
    if (m_socket.empty() || (m_socket[0] != '/' && m_socket[0] != '@'))
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_socket.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, m_socket.data(), m_socket.size());
    if (address.sun_path[0] == '@')
        address.sun_path[0] = '\0';
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + m_socket.size());
    const bool sent =
        ::sendto(fd, state.data(), state.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address), length)
        == static_cast<ssize_t>(state.size());
    ::close(fd);
    return sent;
}
