#pragma once

#include "platform/folder_picker.h"

// The shell's folder dialog (SHBrowseForFolderW) behind "选择": the whole
// shell namespace from the desktop down, no owner, no options. Windows'
// file systems do not tell folder names apart by letter case.
class Win32FolderPicker final : public FolderPicker {
public:
    std::optional<std::string> browse() override;
    bool ignoresCase() const override { return true; }
};
