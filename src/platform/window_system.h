#pragma once

#include <string>
#include <vector>

#include "platform/menu_entry.h"

// What the window needs from the desktop beyond drawing itself.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual float screenWidthTwips() const = 0;
    virtual float screenHeightTwips() const = 0;
    // The window's outer size, frame included.
    virtual float windowWidthTwips() const = 0;
    virtual float windowHeightTwips() const = 0;
    virtual float twipsPerPixelX() const = 0;

    // Shows the tray menu's items at the mouse position and blocks until it
    // closes. Returns the name of the chosen item, or empty text when none
    // was chosen.
    virtual std::string popupMenu(const std::vector<MenuEntry>& items) = 0;
};
