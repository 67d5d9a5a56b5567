#pragma once

#include "options.h"

#include <filesystem>
#include <string>

namespace sqlstandin {

// Where the path of a BACKUP DATABASE statement lands on this machine.
struct BackupTarget {
    std::filesystem::path file;
    std::string shown;    // how the server's messages name the device
    std::string device;   // the same file always gives the same key (files in use)
    int osError = 0;      // not 0: the device cannot be opened, with this Windows error
};

// Relative paths resolve against --backup-dir. "X:\a\b" and "x:/a/b" go to
// the folder of --drive X:, each component matched against what exists
// there without regard to letter case, as Windows matches it; other drive
// letters and UNC paths cannot be opened. With at least one --drive every
// path is read as a Windows path; without one, paths are the host's own.
BackupTarget resolveBackupPath(const std::string& given, const Options& options);

}  // namespace sqlstandin
