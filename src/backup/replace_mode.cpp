// Replace mode ("替换备份"): one file per database directly in the backup
// folder, replaced at every slot.

#include "app/flag_scope.h"
#include "app/form1.h"
#include "platform/clock.h"
#include "platform/shell.h"

void Form1::Commandth()
{
    const LocalDateTime now = m_services.clock.now();
    if (!slotDue(now) || !listCanBeSent(Caller::Schedule))
        return;
    guarded(Caller::Schedule, [&] {
        FlagScope run(m_runInProgress);
        odb();
        CreateDir();
        backUpEach([this](const std::string& database) { return Text5.text() + database + ".bak"; },
                   [&]() -> std::optional<SetAside> {
                       if (!m_services.shell.fileExists(bakFile)) {
                           CreateDir();
                           return std::nullopt;
                       }
                       // A trash that keeps what it takes has the old file
                       // before the backup; otherwise it waits aside until
                       // the new backup has succeeded.
                       if (m_services.shell.trashKeepsWhatItTakes()
                           && m_services.shell.moveToTrash(bakFile, Text5.text()))
                           return std::nullopt;
                       return moveAside(bakFile, now);
                   });
    });
}

void Form1::CreateDir()
{
    m_services.shell.makeSureDirectoryPathExists(Text5.text());
}
