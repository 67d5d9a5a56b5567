#include "platform/posix/freedesktop_shell.h"

bool FreedesktopShell::moveToTrash(const std::string& path, const std::string& backupFolder)
{
    // The same trash QFile::moveToTrash would pick, but the program's own
    // items in it are counted first: the freedesktop trash has no bound.
    m_trash.setPlaces(FreedesktopTrash::fromEnvironment());
    return m_trash.moveIn(path, FreedesktopTrash::backupsNamedWith(backupFolder));
}
