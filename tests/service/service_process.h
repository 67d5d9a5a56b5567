#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

// The background service's program run by a test as systemd would run it:
// its standard error into a file the test reads, $NOTIFY_SOCKET pointing at
// a datagram socket the test owns, stopped with SIGTERM.
class ServiceProcess final {
public:
    ServiceProcess(const std::filesystem::path& folder, std::vector<std::string> arguments,
                   std::vector<std::string> environment = {});
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Everything it wrote to standard error so far.
    std::string log() const;
    // Waits up to the seconds for a text in its log; whether it came.
    bool waitForLog(const std::string& text, int seconds = 10) const;
    // Every datagram it sent so far, in order.
    const std::vector<std::string>& datagrams();
    bool waitForDatagram(const std::string& text, int seconds = 10);
    // SIGTERM, then its exit status (-1 when it had to be killed).
    int stop();
    // Its exit status once it ended by itself, within the seconds.
    int waitForExit(int seconds = 10);

private:
    std::filesystem::path m_logFile;
    std::filesystem::path m_socketPath;
    int m_socket = -1;
    pid_t m_pid = -1;
    int m_status = -1;
    std::vector<std::string> m_datagrams;
};
