#pragma once

#include <cstdint>
#include <string>

#include "platform/notify_icon_data.h"

// The notification-area record of the program, reused by every add and
// delete request, and the two values the tray callback keeps between events.
class Tray final {
public:
    static constexpr std::uint32_t kRecordSize = 88;
    static constexpr std::uint32_t kIconId = 1;
    static constexpr std::uint32_t kFlags =
        NotifyIconData::kMessageValid | NotifyIconData::kIconValid | NotifyIconData::kTipValid;
    // The tray reports its mouse events as mouse movement over the window.
    static constexpr std::uint32_t kCallbackMessage = NotifyIconData::kMouseMove;
    // The one window of the program, as the tray service knows it.
    static constexpr std::uint32_t kWindowHandle = 1;

    // The tip: the update site's bare domain, "'Ondrel", a NUL, blanks to 64 bytes.
    static std::string tipText();

    // A delete request sets only size, window and identifier.
    void prepareDelete();
    // An add request fills every field; the icon is the window's icon now.
    void prepareAdd(std::uint32_t windowIcon);

    NotifyIconData nid;
    std::int32_t lastMessage = 0;
    bool busy = false;
};
