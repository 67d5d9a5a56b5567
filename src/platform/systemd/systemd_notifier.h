#pragma once

#include <chrono>
#include <optional>
#include <string>

// Tells systemd how the service is doing, over the datagram socket that
// $NOTIFY_SOCKET names: READY, STATUS, WATCHDOG, STOPPING. Without the
// variable (started by hand, or by a manager that does not listen) it
// says nothing.
class SystemdNotifier final {
public:
    // Reads $NOTIFY_SOCKET, $WATCHDOG_USEC and $WATCHDOG_PID.
    SystemdNotifier();

    // Sends one datagram of "KEY=value" lines; false when none could be sent.
    bool send(const std::string& state) const;

    // How often the manager wants WATCHDOG=1, when it asked this process.
    std::optional<std::chrono::microseconds> watchdogInterval() const { return m_watchdog; }

private:
    std::string m_socket;
    std::optional<std::chrono::microseconds> m_watchdog;
};
