#pragma once

#include "platform/notify_icon_data.h"

// The notification area. Icons are keyed by window and identifier: an add
// for a key that is already shown is refused, a delete for a key that is not
// shown does nothing.
class TrayService {
public:
    static constexpr int Add = 0;    // NIM_ADD
    static constexpr int Delete = 2; // NIM_DELETE

    virtual ~TrayService() = default;
    virtual bool notify(int request, const NotifyIconData& record) = 0;
    // Whether the desktop has a notification area at all right now.
    virtual bool isAvailable() const = 0;
};
