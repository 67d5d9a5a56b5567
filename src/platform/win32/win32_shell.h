#pragma once

#include "platform/shell.h"

// The file-system services of the backup runs on Windows. A file counts as
// present whatever its attributes (hidden and system files too); folder
// creation follows MakeSureDirectoryPathExists: the last component is a
// folder only when the path ends with a separator. Old backups go to the
// recycle bin, which deletes outright on a volume that has none: the core
// sends them there only once their replacement is written.
class Win32Shell : public Shell {
public:
    bool fileExists(const std::string& path) const override;
    bool exists(const std::string& path) const override;
    bool folderHoldsFile(const std::string& folder) const override;
    void makeSureDirectoryPathExists(const std::string& path) override;
    bool moveToTrash(const std::string& path, const std::string& backupFolder) override;
    bool trashKeepsWhatItTakes() const override { return false; }
    bool rename(const std::string& from, const std::string& to) override;
    bool removeAll(const std::string& path) override;
};
