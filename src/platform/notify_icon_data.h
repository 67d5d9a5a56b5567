#pragma once

#include <array>
#include <cstdint>

// The notification-area record, laid out as the 88-byte first version of the
// shell's NOTIFYICONDATAA: five 32-bit fields, the icon handle, a 64-byte tip
// in the ANSI code page (GBK).
struct NotifyIconData {
    // Which of the optional fields an add request fills (uFlags).
    static constexpr std::uint32_t kMessageValid = 1; // NIF_MESSAGE
    static constexpr std::uint32_t kIconValid = 2;    // NIF_ICON
    static constexpr std::uint32_t kTipValid = 4;     // NIF_TIP

    // The window messages a tray reports an icon's mouse events as.
    static constexpr std::int32_t kMouseMove = 512;       // WM_MOUSEMOVE
    static constexpr std::int32_t kLeftDoubleClick = 515; // WM_LBUTTONDBLCLK
    static constexpr std::int32_t kRightButtonUp = 517;   // WM_RBUTTONUP

    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::array<char, 64> szTip{};
};
static_assert(sizeof(NotifyIconData) == 88, "the notification record is 88 bytes");
