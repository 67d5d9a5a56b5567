#pragma once

#include <cstdint>
#include <string>

#include "app/picture.h"
#include "platform/notify_icon_data.h"

// The notification-area record of the program, reused by every add and
// delete request, and the two values the tray callback keeps between events.
class Tray final {
public:
    static constexpr std::uint32_t kRecordSize = 88;
    static constexpr std::uint32_t kIconId = 1;
    static constexpr std::uint32_t kFlags = 7;             // message, icon and tip valid
    static constexpr std::uint32_t kCallbackMessage = 512; // WM_MOUSEMOVE
    static constexpr std::int32_t kLeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
    static constexpr std::int32_t kRightButtonUp = 517;    // WM_RBUTTONUP
    // The one window of the program, as the tray service knows it.
    static constexpr std::uint32_t kWindowHandle = 1;

    // The tip: the update site's bare domain, "'Ondrel", a NUL, blanks to 64 bytes.
    static std::string tipText();

    // A delete request sets only size, window and identifier.
    void prepareDelete();
    // An add request fills every field; the icon is the window's icon now.
    void prepareAdd(Icon windowIcon);

    NotifyIconData nid;
    std::int32_t lastMessage = 0;
    bool busy = false;
};
