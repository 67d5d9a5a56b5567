#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include <sys/stat.h>

#include "platform/systemd/folder_watch.h"

class Clock;
class FileIo;
class ScheduleRunner;
class SystemdNotifier;
class TextEncoding;
class RunnerLog;

// Runs the schedule as a systemd service: asleep till the next slot's
// second (half a minute at most), the settings file read again when it
// changed (or at SIGHUP), the service manager told that the service is
// ready, what it is doing, and that it is alive, until SIGTERM or SIGINT.
class ServiceHost final {
public:
    struct Seams {
        Clock& clock;
        FileIo& files;
        TextEncoding& encoding;
        ScheduleRunner& runner;
        RunnerLog& log;
        const SystemdNotifier& notifier;
    };

    ServiceHost(Seams seams, std::string settingsFile);

    // Until a signal ends it; the exit status.
    int run();
    // Reads the settings file once: whether the runner could take them.
    bool check();

private:
    // What tells that the settings file changed.
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNs = 0;
        bool present = false;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    FileStamp stampOfSettings() const;
    // Reads the settings file when it changed since the last reading (or
    // always); a file that cannot be read leaves the settings in force.
    void readSettings(bool always);
    void reportStatus();
    // How long the loop may sleep: till just after the next slot's second.
    std::int64_t msToNextCheck() const;

    static constexpr std::int64_t kLongestSleepMs = 30000;
    void watchdogLoop();

    Seams m_seams;
    std::string m_settingsFile;
    FolderWatch m_watch;
    std::optional<FileStamp> m_lastStamp;
    std::string m_lastStatus;
    // For the watchdog's thread: when the loop last went round, and whether
    // a tick (a backup run, which may take hours) is under way.
    std::atomic<std::int64_t> m_lastBeatMs{0};
    std::atomic<bool> m_inTick{false};
    std::atomic<bool> m_stopping{false};
};
