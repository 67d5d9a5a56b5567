#pragma once

#include <optional>
#include <string>

#include "platform/tray_service.h"

// What the tray callback keeps between events, and the icon's tip.
class Tray final {
public:
    // The update site's bare domain and "'Ondrel".
    static std::string tipText();

    std::optional<TrayService::Event> lastEvent;
    bool busy = false;
};
