#pragma once

#include "platform/shell.h"

// The file-system services on a POSIX system. It knows no trash; the
// desktop build supplies one.
class PosixShell : public Shell {
public:
    bool fileExists(const std::string& path) const override;
    bool exists(const std::string& path) const override;
    bool folderHoldsFile(const std::string& folder) const override;
    void makeSureDirectoryPathExists(const std::string& path) override;
    bool moveToTrash(const std::string& path, const std::string& backupFolder) override;
    // The freedesktop trash keeps what it takes or refuses it.
    bool trashKeepsWhatItTakes() const override { return true; }
    bool rename(const std::string& from, const std::string& to) override;
    bool removeAll(const std::string& path) override;
};
