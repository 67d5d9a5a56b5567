#pragma once

#include <cstdint>
#include <optional>
#include <string>

class Clock;
class FileIo;
class RunnerLog;
class ScheduleRunner;
class TextEncoding;

// What every service manager's host does with the runner alike: reads the
// settings file when it changed, keeping the last good settings when it
// cannot; says how long the host may sleep (till just after the next
// slot's second); checks a second once; says when the status changed.
// The host itself waits, and takes its manager's signals.
class RunnerHost final {
public:
    struct Seams {
        Clock& clock;
        FileIo& files;
        const TextEncoding& encoding;
        ScheduleRunner& runner;
        RunnerLog& log;
    };

    RunnerHost(Seams seams, std::string settingsFile);

    // Reads the settings file when it changed since the last reading (or
    // always), saying what came of it.
    void readSettings(bool always);
    // Milliseconds the host may sleep: till just after the next slot's
    // second, never longer than longestMs (a clock set forward is noticed
    // then, and a slot it skipped is caught up), a second while the runner
    // stands aside for the window.
    std::int64_t msToNextCheck(std::int64_t longestMs) const;
    // The host woke: the settings file, then the runner's tick, once per
    // second of the wall clock.
    void check();
    // The runner's status line, when it differs from the last one asked for.
    std::optional<std::string> statusChange();

private:
    Seams m_seams;
    std::string m_settingsFile;
    std::optional<std::string> m_lastStamp;
    std::optional<std::int64_t> m_lastCheckedSecond;
    std::string m_lastStatus;
};
