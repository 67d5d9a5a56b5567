#pragma once

#include "platform/posix/posix_shell.h"

// The POSIX file system with the desktop's trash: the freedesktop.org trash,
// where the program's old backups are kept within a tenth of the trash's
// file system.
class QtShell final : public PosixShell {
public:
    bool moveToTrash(const std::string& path, const std::string& backupFolder) override;
};
