// The schedule's tick and what both backup modes share: the slot check and
// one database's connect, backup and disconnect.

#include <cstdio>

#include "app/form1.h"
#include "backup/slot_schedule.h"
#include "platform/clock.h"
#include "platform/data_access.h"
#include "platform/path_separator.h"
#include "platform/shell.h"
#include "text/server_statements.h"

// Timer1: one tick a second while the schedule runs.
void Form1::Timer1_Timer()
{
    // A tick that arrives while a run still holds the window (through a
    // message box opened inside it) waits for the next one; the slot check
    // then catches up what it missed.
    if (m_runInProgress)
        return;
    if (Option1.value())
        Commandth();
    else
        Commandcopy();
}

std::string Form1::slotsThatNeverRun() const
{
    const struct {
        const char* label;
        const TextBox& field;
    } slots[] = {{"时间段1", Text8}, {"时间段2", Text7}, {"时间段3", Text6}};
    std::string notice;
    for (const auto& slot : slots) {
        if (SlotSchedule::secondOfDay(slot.field.text()))
            continue;
        if (!notice.empty())
            notice += "\r\n";
        notice += std::string(slot.label) + "“" + slot.field.text() + "”不是有效的时间(hh:mm:ss),该时间段不会备份。";
    }
    return notice;
}

bool Form1::slotDue(const LocalDateTime& now)
{
    const bool due = SlotSchedule::isDue({Text8.text(), Text7.text(), Text6.text()}, now, m_previousTick);
    m_previousTick = now.serialSecond();
    return due;
}

void Form1::backUpEach(const std::function<std::string(const std::string& database)>& fileFor,
                       const std::function<std::optional<SetAside>()>& beforeBackup)
{
    std::unique_ptr<Connection> connection;
    const std::size_t count = Combo1.listCount();
    for (std::size_t i = 0; i < count; ++i) {
        bakDb = Combo1.list(i);
        bakFile = fileFor(bakDb);
        const std::optional<SetAside> previous = beforeBackup ? beforeBackup() : std::nullopt;
        try {
            if (!connection)
                connection = m_services.dataAccess.createConnection();
            connection->Open(connectionString(), {}, {}, -1);
            connection->Execute(ServerStatements::backupStatement(bakDb, bakFile), -1);
            connection->Close();
        } catch (...) {
            if (previous)
                putBack(*previous);
            throw;
        }
        if (previous)
            retire(*previous);
    }
}

std::optional<Form1::SetAside> Form1::moveAside(const std::string& path, const LocalDateTime& now)
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
    for (int n = 2; m_services.shell.exists(holder); ++n)
        holder = path + stamp + "-" + std::to_string(n) + ".old";
    SetAside aside{path, holder, holder + kPathSeparator + path.substr(nameAt)};
    m_services.shell.makeSureDirectoryPathExists(aside.holder + kPathSeparator);
    if (!m_services.shell.rename(path, aside.item)) {
        m_services.shell.removeAll(aside.holder);
        return std::nullopt;
    }
    return aside;
}

void Form1::retire(const SetAside& old)
{
    Shell& shell = m_services.shell;
    if (!shell.trashKeepsWhatItTakes()) {
        // Only now may a trash that can delete outright have it: its
        // replacement exists. The trash records where an item was, for
        // restoring it: the old backup goes there from its own place, its
        // replacement waiting in the holding folder for that moment.
        const std::string standby = old.item + ".new";
        if (shell.rename(old.original, standby)) {
            if (shell.rename(old.item, old.original) && !shell.moveToTrash(old.original, Text5.text()))
                shell.rename(old.original, old.item);
            // Should the replacement not go back under its name, it stays in
            // the holding folder, where the operator finds it.
            if (!shell.rename(standby, old.original))
                return;
        }
        if (shell.exists(old.item))
            shell.moveToTrash(old.item, Text5.text());
    }
    // What no trash took is removed.
    shell.removeAll(old.holder);
}

void Form1::putBack(const SetAside& old)
{
    // Where the failed run left something under the name (a time-slot run
    // has made its new folder), the old backup stays in its holding folder,
    // in the backup folder all the same.
    if (m_services.shell.exists(old.original))
        return;
    if (m_services.shell.rename(old.item, old.original))
        m_services.shell.removeAll(old.holder);
}
