#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window_system.h"

// A 1920 × 1080 screen at 96 dpi; the tray menu picks what the test says.
class FakeWindowSystem final : public WindowSystem {
public:
    float screenWidthTwips() const override { return 1920 * 15; }
    float screenHeightTwips() const override { return 1080 * 15; }
    float windowWidthTwips() const override { return 6825 + 2 * 15; }
    float windowHeightTwips() const override { return 3630 + 31 * 15; }
    float twipsPerPixelX() const override { return twipsPerPixel; }

    std::string popupMenu(const std::vector<MenuEntry>& items) override
    {
        ++menusShown;
        shownItems = items;
        if (whileMenuOpen)
            whileMenuOpen();
        return menuChoice;
    }

    float twipsPerPixel = 15;
    std::string menuChoice;
    std::function<void()> whileMenuOpen;
    int menusShown = 0;
    // The items of the last menu shown.
    std::vector<MenuEntry> shownItems;
};
