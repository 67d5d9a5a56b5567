#pragma once

#include <cstdint>
#include <map>

#include "platform/tray_service.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/windows_api.h"

class TextEncoding;

// The notification area through Shell_NotifyIconW. The model's record names
// the window by the model's handle and the icon by the model's picture, and
// carries the tip in GBK; this service fills a NOTIFYICONDATAW of its own
// from it: its real size, the window's handle, a real icon handle, the tip
// in UTF-16.
//
// The icon reports its mouse events through a private message of the
// window's (kCallbackMessage), never as the window's own mouse movement:
// only those reports reach the model. When Explorer restarts, the new
// notification area knows no icon: addAgain() puts back every icon shown.
class Win32TrayService final : public TrayService {
public:
    // lParam: the mouse message over the icon; wParam: the icon's identifier.
    static constexpr UINT kCallbackMessage = WM_APP + 1;

    explicit Win32TrayService(const TextEncoding& encoding) : m_encoding(encoding) {}
    ~Win32TrayService() override;
    Win32TrayService(const Win32TrayService&) = delete;
    Win32TrayService& operator=(const Win32TrayService&) = delete;

    // The window that the model's handle stands for.
    void attach(HWND window) { m_window = window; }

    bool notify(int request, const NotifyIconData& record) override;
    // Where Explorer (or Wine's) runs the taskbar, there is a notification area.
    bool isAvailable() const override;

    // The message Explorer broadcasts once its taskbar is (again) there.
    static UINT taskbarCreatedMessage();
    // Adds every icon shown again, as it was last added.
    void addAgain();

private:
    struct Shown {
        NotifyIconData record;
        OwnedIcon icon;
    };

    bool add(const NotifyIconData& record, Shown& shown);
    HWND windowOf(const NotifyIconData& record) const;

    const TextEncoding& m_encoding;
    HWND m_window = nullptr;
    std::map<std::uint32_t, Shown> m_shown; // by identifier
};
