#pragma once

#include <string>

#include "platform/icon.h"

// The notification area: the window's one icon, shown with a tip and hidden
// again. The platform reports what the operator did with the icon as an
// Event, to the handler its implementation takes.
class TrayService {
public:
    enum class Event {
        // A single click, where the desktop reports one (a StatusNotifier
        // host's activation); elsewhere a single click is no event.
        Activate,
        DoubleClick,
        // The request for the icon's menu (the right button's release).
        ContextMenu,
    };

    virtual ~TrayService() = default;
    // Shows the icon with its tip (UTF-8). While an icon is shown, it stays
    // as it is and the request is refused.
    virtual bool show(Icon icon, const std::string& tip) = 0;
    // Takes the icon away; without one nothing happens.
    virtual void hide() = 0;
    // Whether the desktop has a notification area at all right now.
    virtual bool isAvailable() const = 0;
};
