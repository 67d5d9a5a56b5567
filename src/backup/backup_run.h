#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "job/job_spec.h"
#include "platform/local_date_time.h"

class Connection;
class DataAccess;
class Shell;

// What a backup run tells whoever started it.
class BackupRunReport {
public:
    virtual ~BackupRunReport() = default;
    // A list entry holds a NUL: the run sent nothing at all.
    virtual void entryRefused(std::size_t position, const std::string& entry) = 0;
    // The database's backup was written to bakFile.
    virtual void backedUp(const std::string& bakDb, const std::string& bakFile)
    {
        static_cast<void>(bakDb);
        static_cast<void>(bakFile);
    }
    // The database's connect, backup or disconnect failed: a DatabaseError
    // with what the driver and the server said, or a failure of the
    // program's own.
    virtual void backupFailed(const std::string& bakDb, const std::exception& error) = 0;
    // Asked before each database: true ends the run there, with the
    // databases not yet sent untouched and the run not all written.
    virtual bool stopBefore(const std::string& bakDb)
    {
        static_cast<void>(bakDb);
        return false;
    }
};

// One slot's work, whatever shows its outcome: makes the folders, moves old
// backups toward the trash, and asks the server for one backup per
// database, each over a connection of its own (connect, backup, disconnect).
// An old backup is never lost: it reaches the trash, or is removed, only
// once its replacement is written, unless a trash that keeps what it takes
// holds it.
class BackupRun final {
public:
    enum class OnFailure {
        // The window's rule: the first failing database ends the run.
        EndTheRun,
        // Every database gets its chance; each failure is reported.
        GoOn,
    };

    BackupRun(Shell& shell, DataAccess& dataAccess, OnFailure onFailure = OnFailure::EndTheRun);

    // Runs the job for the slot that came at slotTime. True when every
    // database was backed up.
    bool run(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report);

private:
    // An old backup (a file or a dated folder) waiting under its own name in
    // a holding folder beside where it was, until its replacement is written.
    struct SetAside {
        std::string original;
        std::string holder;
        std::string item;
    };

    bool replaceMode(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report);
    bool timeSlotMode(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report);
    // One database's connect, backup and disconnect; false when it failed,
    // which has then been reported.
    bool backUp(std::unique_ptr<Connection>& connection, const ServerLogin& login, const std::string& bakDb,
                const std::string& bakFile, BackupRunReport& report);
    // Nothing when the item could not be moved; it then stays where it is.
    std::optional<SetAside> moveAside(const std::string& path, const LocalDateTime& now);
    // After its replacement was written: into a trash that may delete
    // outright, from its own place and under its own name (the replacement
    // steps into the holding folder meanwhile), or removed.
    void retire(const SetAside& old, const std::string& folder);
    // After its replacement failed: back under its name, unless the failed
    // backup left something there.
    void putBack(const SetAside& old);

    Shell& m_shell;
    DataAccess& m_dataAccess;
    OnFailure m_onFailure;
};
