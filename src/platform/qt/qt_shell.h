#pragma once

#include "platform/posix/posix_shell.h"

// The POSIX file system with the desktop's trash (the freedesktop.org trash
// on Linux).
class QtShell final : public PosixShell {
public:
    bool moveToTrash(const std::string& path) override;
};
