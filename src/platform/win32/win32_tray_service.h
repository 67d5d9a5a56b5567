#pragma once

#include <optional>
#include <string>

#include "platform/tray_service.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/windows_api.h"

// The window's notification-area icon through Shell_NotifyIconW: the
// picture's icon at the notification area's size, the tip in UTF-16.
//
// The icon reports its mouse events through a private message of the
// window's (kCallbackMessage), never as the window's own mouse movement:
// only those reports reach the model, as events (eventOf). When Explorer
// restarts, the new notification area knows no icon: addAgain() puts back
// the icon shown.
class Win32TrayService final : public TrayService {
public:
    // lParam: the mouse message over the icon; wParam: the icon's identifier.
    static constexpr UINT kCallbackMessage = WM_APP + 1;

    Win32TrayService() = default;
    ~Win32TrayService() override;
    Win32TrayService(const Win32TrayService&) = delete;
    Win32TrayService& operator=(const Win32TrayService&) = delete;

    // The window whose icon this is; without one no icon is shown.
    void attach(HWND window) { m_window = window; }

    bool show(Icon icon, const std::string& tip) override;
    void hide() override;
    // Where Explorer (or Wine's) runs the taskbar, there is a notification area.
    bool isAvailable() const override;

    // What a report of kCallbackMessage (its lParam) means to the model: a
    // double-click and the right button's release; any other mouse message
    // over the icon means nothing.
    static std::optional<Event> eventOf(LPARAM report);

    // The message Explorer broadcasts once its taskbar is (again) there.
    static UINT taskbarCreatedMessage();
    // Adds the icon shown again, as it was last shown.
    void addAgain();

private:
    struct Shown {
        Icon picture;
        std::wstring tip;
        OwnedIcon icon;
    };

    bool add(Shown& shown);

    HWND m_window = nullptr;
    std::optional<Shown> m_shown;
};
