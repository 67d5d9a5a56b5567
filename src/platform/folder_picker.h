#pragma once

#include <optional>
#include <string>

// The folder dialog behind "选择".
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // Blocks until the dialog closes. The chosen folder's file-system path
    // (empty when the chosen item has none), or nothing when cancelled.
    virtual std::optional<std::string> browse() = 0;
    // Whether folder names differ only by case on this file system; the
    // chosen path is upper-cased only there.
    virtual bool ignoresCase() const = 0;
};
