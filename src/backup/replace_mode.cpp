// Replace mode ("替换备份"): one file per database directly in the backup
// folder, replaced at every slot.

#include "app/form1.h"
#include "backup/run_scope.h"
#include "platform/clock.h"
#include "platform/data_access.h"
#include "platform/shell.h"

void Form1::Commandth()
{
    const LocalDateTime now = m_services.clock.now();
    if (!slotDue(now))
        return;
    guarded([&] {
        RunScope run(m_runInProgress);
        odb();
        CreateDir();
        std::unique_ptr<Connection> connection;
        const std::size_t count = Combo1.listCount();
        for (std::size_t i = 0; i < count; ++i) {
            bakFile = Text5.text() + Combo1.list(i) + ".bak";
            bakDb = Combo1.list(i);
            std::optional<std::string> previous;
            if (m_services.shell.fileExists(bakFile)) {
                // Where no trash takes the old file, it waits beside the new
                // one until the new backup has succeeded.
                if (!m_services.shell.moveToTrash(bakFile))
                    previous = moveAside(bakFile, now);
            } else {
                CreateDir();
            }
            if (!connection)
                connection = m_services.dataAccess.createConnection();
            backUp(*connection);
            if (previous)
                m_services.shell.removeAll(*previous);
        }
    });
}

void Form1::CreateDir()
{
    m_services.shell.makeSureDirectoryPathExists(Text5.text());
}
