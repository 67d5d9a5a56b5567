#pragma once

#include "platform/folder_picker.h"

// No folder dialog yet: "选择" answers as if the operator had cancelled, and
// the backup folder is typed into its field. Windows' file systems do not
// tell folder names apart by letter case.
class Win32FolderPicker final : public FolderPicker {
public:
    std::optional<std::string> browse() override { return std::nullopt; }
    bool ignoresCase() const override { return true; }
};
