#include "backup/backup_run.h"

#include <cstdio>
#include <memory>

#include "platform/data_access.h"
#include "platform/path_separator.h"
#include "platform/shell.h"
#include "text/server_statements.h"

BackupRun::BackupRun(Shell& shell, DataAccess& dataAccess, OnFailure onFailure)
    : m_shell(shell)
    , m_dataAccess(dataAccess)
    , m_onFailure(onFailure)
{
}

bool BackupRun::run(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report)
{
    if (const auto position = firstEntryWithNul(job.databases)) {
        report.entryRefused(*position, job.databases[*position]);
        return false;
    }
    return job.mode == BackupMode::Replace ? replaceMode(job, slotTime, report) : timeSlotMode(job, slotTime, report);
}

// One file per database directly in the backup folder, replaced at every slot.
bool BackupRun::replaceMode(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report)
{
    m_shell.makeSureDirectoryPathExists(job.folder);
    // One connection object for the run, opened and closed per database.
    std::unique_ptr<Connection> connection;
    bool allWritten = true;
    for (const std::string& bakDb : job.databases) {
        if (report.stopBefore(bakDb))
            return false;
        const std::string bakFile = job.folder + bakDb + ".bak";
        std::optional<SetAside> previous;
        if (!m_shell.fileExists(bakFile)) {
            m_shell.makeSureDirectoryPathExists(job.folder);
        } else if (!m_shell.trashKeepsWhatItTakes() || !m_shell.moveToTrash(bakFile, job.folder)) {
            // A trash that keeps what it takes has the old file before the
            // backup; otherwise it waits aside until the new one is written.
            previous = moveAside(bakFile, slotTime);
        }
        if (backUp(connection, job.login, bakDb, bakFile, report)) {
            if (previous)
                retire(*previous, job.folder);
            continue;
        }
        if (previous)
            putBack(*previous);
        allWritten = false;
        if (m_onFailure == OnFailure::EndTheRun)
            break;
    }
    return allWritten;
}

// A dated sub-folder per slot hour; a slot replaces only a same-hour folder
// that holds files.
bool BackupRun::timeSlotMode(const JobSpec& job, const LocalDateTime& slotTime, BackupRunReport& report)
{
    // Named once: a run that crosses the top of an hour still writes every
    // file into the folder it made.
    const std::string datedFolder = job.folder + slotTime.hourFolderName();
    std::optional<SetAside> previous;
    if (m_shell.folderHoldsFile(datedFolder + kPathSeparator)) {
        if (!m_shell.trashKeepsWhatItTakes() || !m_shell.moveToTrash(datedFolder, job.folder))
            previous = moveAside(datedFolder, slotTime);
    }
    m_shell.makeSureDirectoryPathExists(datedFolder + kPathSeparator);
    // One connection object for the run, opened and closed per database.
    std::unique_ptr<Connection> connection;
    bool allWritten = true;
    for (const std::string& bakDb : job.databases) {
        if (report.stopBefore(bakDb)) {
            allWritten = false;
            break;
        }
        if (backUp(connection, job.login, bakDb, datedFolder + kPathSeparator + bakDb + ".bak", report))
            continue;
        allWritten = false;
        if (m_onFailure == OnFailure::EndTheRun)
            break;
    }
    // After a failure the earlier set stays aside, beside the new folder
    // that holds what this run wrote.
    if (previous && allWritten)
        retire(*previous, job.folder);
    return allWritten;
}

bool BackupRun::backUp(std::unique_ptr<Connection>& connection, const ServerLogin& login, const std::string& bakDb,
                       const std::string& bakFile, BackupRunReport& report)
{
    try {
        if (!connection)
            connection = m_dataAccess.createConnection();
        connection->Open(login);
        connection->Execute(ServerStatements::backupStatement(bakDb, bakFile));
        connection->Close();
    } catch (const std::exception& error) {
        // Released, which also drops a connection left open.
        connection.reset();
        report.backupFailed(bakDb, error);
        return false;
    }
    report.backedUp(bakDb, bakFile);
    return true;
}

std::optional<BackupRun::SetAside> BackupRun::moveAside(const std::string& path, const LocalDateTime& now)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                  now.second);
    std::size_t nameAt = path.size();
    while (nameAt > 0 && !isPathSeparator(path[nameAt - 1]))
        --nameAt;
    // The holding folder sits beside the item, so that moving the item in
    // is a rename within one volume; the item keeps its own name there, the
    // name it later shows in the trash.
    std::string holder = path + stamp + ".old";
    for (int n = 2; m_shell.exists(holder); ++n)
        holder = path + stamp + "-" + std::to_string(n) + ".old";
    SetAside aside{path, holder, holder + kPathSeparator + path.substr(nameAt)};
    m_shell.makeSureDirectoryPathExists(aside.holder + kPathSeparator);
    if (!m_shell.rename(path, aside.item)) {
        m_shell.removeAll(aside.holder);
        return std::nullopt;
    }
    return aside;
}

void BackupRun::retire(const SetAside& old, const std::string& folder)
{
    if (!m_shell.trashKeepsWhatItTakes()) {
        // Only now may a trash that can delete outright have it: its
        // replacement exists. The trash records where an item was, for
        // restoring it: the old backup goes there from its own place, its
        // replacement waiting in the holding folder for that moment.
        const std::string standby = old.item + ".new";
        if (m_shell.rename(old.original, standby)) {
            if (m_shell.rename(old.item, old.original) && !m_shell.moveToTrash(old.original, folder))
                m_shell.rename(old.original, old.item);
            // Should the replacement not go back under its name, it stays in
            // the holding folder, where the operator finds it.
            if (!m_shell.rename(standby, old.original))
                return;
        }
        if (m_shell.exists(old.item))
            m_shell.moveToTrash(old.item, folder);
    }
    // What no trash took is removed.
    m_shell.removeAll(old.holder);
}

void BackupRun::putBack(const SetAside& old)
{
    // Where the failed run left something under the name (a time-slot run
    // has made its new folder), the old backup stays in its holding folder,
    // in the backup folder all the same.
    if (m_shell.exists(old.original))
        return;
    if (m_shell.rename(old.item, old.original))
        m_shell.removeAll(old.holder);
}
