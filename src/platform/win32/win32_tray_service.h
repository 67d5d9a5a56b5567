#pragma once

#include "platform/tray_service.h"

// No notification-area icon yet: the window reports no notification area,
// so "托盘" minimises it to the taskbar, from where the operator restores it.
class Win32TrayService final : public TrayService {
public:
    bool notify(int, const NotifyIconData&) override { return false; }
    bool isAvailable() const override { return false; }
};
