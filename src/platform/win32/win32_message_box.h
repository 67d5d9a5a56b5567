#pragma once

// First: windows.h's MessageBox macro must be gone before the core's class.
#include "platform/win32/windows_api.h"

#include "platform/message_box.h"

// MessageBoxW: an OK button and no icon, owned by the window while it is on
// the screen. MessageBoxW's own loop goes on dispatching the window's
// messages, the timer's included, until the operator closes the box.
class Win32MessageBox final : public MessageBox {
public:
    void setOwner(HWND owner) { m_owner = owner; }
    void show(const std::string& text, const std::string& title, int style) override;

private:
    HWND m_owner = nullptr;
};
