#pragma once

#include "platform/icon.h"
#include "platform/win32/owned_handle.h"

namespace Win32 {

// One of the program's two icons, in the sizes a title bar and Alt+Tab
// show at a dpi, loaded from the program's resources.
class WindowIcons final {
public:
    WindowIcons() = default;
    WindowIcons(Icon icon, UINT dpi);

    HICON bigIcon() const { return m_big.get(); }
    HICON smallIcon() const { return m_small.get(); }

private:
    OwnedIcon m_big;
    OwnedIcon m_small;
};

} // namespace Win32
