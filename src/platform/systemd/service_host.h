#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/systemd/folder_watch.h"
#include "service/runner_host.h"

class SignalStop;
class SystemdNotifier;

// Runs the schedule as a systemd service: asleep till the next slot's
// second (half a minute at most), awake at once when the settings file's
// folder changes (and at SIGHUP), the service manager told that the service
// is ready, what it is doing and that it is alive, until SIGTERM or SIGINT.
// A stop that comes during a run lets the statement under way end.
class ServiceHost final {
public:
    ServiceHost(RunnerHost::Seams seams, SignalStop& signals, const SystemdNotifier& notifier,
                std::string settingsFile);

    // Until a signal ends it; the exit status.
    int run();
    // Reads the settings file once: whether the runner could take them.
    bool check();

private:
    void reportStatus();
    // The service stops: the manager told, the schedule let go.
    int stopped();
    void watchdogLoop();

    static constexpr std::int64_t kLongestSleepMs = 30000;

    RunnerHost::Seams m_seams;
    RunnerHost m_host;
    SignalStop& m_signals;
    const SystemdNotifier& m_notifier;
    FolderWatch m_watch;
    // For the watchdog's thread: when the loop last went round, and whether
    // the runner holds it (a backup run, which may take hours).
    std::atomic<std::int64_t> m_lastBeatMs{0};
    std::atomic<bool> m_inRunner{false};
    std::atomic<bool> m_stopping{false};
    std::thread m_watchdog;
};
