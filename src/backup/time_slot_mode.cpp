// Time-slot mode ("按时间段备份"): every slot hour gets a dated sub-folder of
// the backup folder; a slot replaces only a same-hour folder that holds files.

#include "app/flag_scope.h"
#include "app/form1.h"
#include "platform/clock.h"
#include "platform/path_separator.h"
#include "platform/shell.h"

void Form1::Commandcopy()
{
    const LocalDateTime now = m_services.clock.now();
    if (!slotDue(now) || !listCanBeSent(Caller::Schedule))
        return;
    guarded(Caller::Schedule, [&] {
        FlagScope run(m_runInProgress);
        // Named once: a run that crosses the top of an hour still writes
        // every file into the folder it made.
        m_hourFolder = now.hourFolderName();
        odb();
        const std::string datedFolder = Text5.text() + m_hourFolder;
        std::optional<SetAside> previous;
        if (m_services.shell.folderHoldsFile(datedFolder + kPathSeparator)) {
            if (!m_services.shell.trashKeepsWhatItTakes() || !m_services.shell.moveToTrash(datedFolder, Text5.text()))
                previous = moveAside(datedFolder, now);
        }
        CreateDirr();
        // A failing run leaves the earlier set aside, beside the new folder
        // that holds what this run wrote.
        backUpEach([&](const std::string& database) { return datedFolder + kPathSeparator + database + ".bak"; });
        if (previous)
            retire(*previous);
    });
}

void Form1::CreateDirr()
{
    m_services.shell.makeSureDirectoryPathExists(Text5.text() + m_hourFolder + kPathSeparator);
}
