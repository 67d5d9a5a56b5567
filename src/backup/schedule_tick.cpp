// The schedule's tick and what both backup modes share: the slot check and
// one database's connect, backup and disconnect.

#include <cstdio>

#include "app/form1.h"
#include "backup/slot_schedule.h"
#include "platform/clock.h"
#include "platform/data_access.h"
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

bool Form1::slotDue(const LocalDateTime& now)
{
    const bool due = SlotSchedule::isDue({Text8.text(), Text7.text(), Text6.text()}, now, m_previousTick);
    m_previousTick = now.serialSecond();
    return due;
}

void Form1::backUpEach(const std::function<std::string(const std::string& database)>& fileFor,
                       const std::function<std::optional<std::string>()>& beforeBackup)
{
    std::unique_ptr<Connection> connection;
    const std::size_t count = Combo1.listCount();
    for (std::size_t i = 0; i < count; ++i) {
        bakDb = Combo1.list(i);
        bakFile = fileFor(bakDb);
        const std::optional<std::string> previous = beforeBackup ? beforeBackup() : std::nullopt;
        if (!connection)
            connection = m_services.dataAccess.createConnection();
        connection->Open(connectionString(), {}, {}, -1);
        connection->Execute(ServerStatements::backupStatement(bakDb, bakFile), -1);
        connection->Close();
        if (previous)
            m_services.shell.removeAll(*previous);
    }
}

std::optional<std::string> Form1::moveAside(const std::string& path, const LocalDateTime& now)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                  now.second);
    std::string aside = path + stamp + ".old";
    for (int n = 2; m_services.shell.fileExists(aside) || m_services.shell.folderHoldsFile(aside); ++n)
        aside = path + stamp + "-" + std::to_string(n) + ".old";
    if (!m_services.shell.rename(path, aside))
        return std::nullopt;
    return aside;
}
