#pragma once

#include <string>

// An item of the tray menu as a platform shows it: its name comes back when
// it is chosen; a separator line has the caption "-".
struct MenuEntry {
    std::string name;
    std::string caption;
    bool enabled = true;

    bool isSeparator() const { return caption == "-"; }
    bool operator==(const MenuEntry&) const = default;
};
