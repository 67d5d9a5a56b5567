#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "backup/slot_schedule.h"
#include "config/settings.h"
#include "job/run_records.h"

class DataAccess;
class RunRecordStore;
class RunnerLog;
class ScheduleLock;
class Shell;
class StopRequest;

// The schedule of one settings file run with nobody at a window: the same
// slot check and backup runs as the window's, but every database gets its
// chance at every slot, each failure and each run goes to the system's log,
// a slot that passed while the runner was not running, or whose run a stop
// cut short, is caught up once at its next start, and the runner stands
// aside while the window runs the same file's schedule.
class ScheduleRunner final {
public:
    struct Seams {
        Shell& shell;
        DataAccess& dataAccess;
        RunRecordStore& records;
        ScheduleLock& lock;
        RunnerLog& log;
        StopRequest& stop;
    };

    ScheduleRunner(Seams seams, std::string settingsFile);

    // The settings in force from now on: at start and at every reload.
    void use(const Settings& settings);
    bool hasSettings() const { return m_settings.has_value(); }

    // The runner starts: it reads its records and runs, once, the most
    // recent slot that passed unrun since its first start. A runner with no
    // records yet catches nothing up.
    void start(const LocalDateTime& now);
    // One tick a second: the slot check, at a slot one run, and the
    // warning when backups stopped succeeding.
    void tick(const LocalDateTime& now);
    // The runner stops: the schedule's lock goes.
    void stop();

    // The moment the next slot comes, after this second; nothing without a
    // valid slot or settings.
    std::optional<LocalDateTime> nextSlot(const LocalDateTime& now) const;
    // One line of what the runner is doing, for the service manager.
    std::string status(const LocalDateTime& now) const;
    // Whether the window holds the schedule, as the last check found.
    bool standingAside() const { return m_standingAside; }

private:
    // Whether this runner may run the schedule now, saying so when that changes.
    bool holdsSchedule();
    void runSlot(const std::string& slot, const LocalDateTime& slotTime, const LocalDateTime& now);
    void saveRecords();
    void warnWhenQuietTooLong(const LocalDateTime& now);
    std::vector<std::string> slotFields() const;

    Seams m_seams;
    std::string m_settingsFile;
    std::optional<Settings> m_settings;
    RunRecords m_records;
    SlotCheck m_slotCheck;
    bool m_standingAside = false;
    bool m_lockProblemLogged = false;
    std::optional<LocalDateTime> m_lastQuietWarning;
};
