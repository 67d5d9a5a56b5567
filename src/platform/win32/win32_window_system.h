#pragma once

#include "platform/win32/windows_api.h"
#include "platform/window_system.h"

// The screen and the window as the model measures them, in twips at the
// window's own dpi, and the tray menu as a native popup menu.
class Win32WindowSystem final : public WindowSystem {
public:
    void attach(HWND window) { m_window = window; }

    float screenWidthTwips() const override;
    float screenHeightTwips() const override;
    float windowWidthTwips() const override;
    float windowHeightTwips() const override;
    float twipsPerPixelX() const override;
    // The tray menu as it stands now, at the cursor, until the operator
    // chooses an item or clicks elsewhere.
    std::string popupMenu(const std::vector<MenuEntry>& items) override;

private:
    RECT screen() const;
    RECT window() const;

    HWND m_window = nullptr;
};
