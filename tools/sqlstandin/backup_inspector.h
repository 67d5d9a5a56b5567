#pragma once

#include "inspection.h"

#include <filesystem>

namespace sqlstandin {

// Reads a backup file set by set, checking each set's checksum.
class BackupInspector final {
public:
    static Inspection inspect(const std::filesystem::path& file);
};

}  // namespace sqlstandin
