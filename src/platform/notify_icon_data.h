#pragma once

#include <array>
#include <cstdint>

// The notification-area record, laid out as the 88-byte first version of the
// shell's NOTIFYICONDATAA: five 32-bit fields, the icon handle, a 64-byte tip
// in the ANSI code page (GBK).
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::array<char, 64> szTip{};
};
static_assert(sizeof(NotifyIconData) == 88, "the notification record is 88 bytes");
