#pragma once

#include "platform/win32/windows_api.h"

namespace Win32 {

// An object that owns a window of a class of our own and receives its
// messages.
class MessageTarget {
public:
    // Each message from WM_NCCREATE on (the window's handle comes with it),
    // up to but not including WM_NCDESTROY.
    virtual LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The window is gone: WM_NCDESTROY, after which no message comes.
    virtual void onWindowGone() {}

protected:
    ~MessageTarget() = default;
};

// A window class of our own: its name and what the system draws itself.
struct WindowClass {
    const wchar_t* name;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

// Registers the class (again harmlessly) and creates a window of it whose
// messages go to the target: the target's address is kept in the window's
// user data from WM_NCCREATE to WM_NCDESTROY. nullptr when the system
// refuses the window.
HWND createWindowFor(MessageTarget& target, const WindowClass& windowClass, DWORD exStyle, const wchar_t* title,
                     DWORD style, POINT position, SIZE size, HWND parent);

// A window that only receives messages (timers, a tray's callbacks).
inline HWND createMessageWindowFor(MessageTarget& target, const wchar_t* className)
{
    return createWindowFor(target, {className}, 0, L"", 0, {0, 0}, {0, 0}, HWND_MESSAGE);
}

} // namespace Win32
