#pragma once

#include "platform/posix/freedesktop_trash.h"
#include "platform/posix/posix_shell.h"

// The POSIX file system with the freedesktop.org trash (the desktop's, or
// the service account's), where the program's old backups are kept within
// a tenth of the trash's file system.
class FreedesktopShell final : public PosixShell {
public:
    bool moveToTrash(const std::string& path, const std::string& backupFolder) override;

private:
    // One for the program's life: what it learns of the trash at one move
    // spares the next move reading the whole trash again.
    FreedesktopTrash m_trash{FreedesktopTrash::fromEnvironment()};
};
