#pragma once

#include "platform/win32/controls/window.h"

namespace Win32 {

// A one-line edit field (class "Edit").
class Edit final : public Window {
public:
    using Window::Window;

    wchar_t passwordChar() const { return static_cast<wchar_t>(send(EM_GETPASSWORDCHAR)); }
    // Every character is drawn as this one.
    void setPasswordChar(wchar_t c) const { send(EM_SETPASSWORDCHAR, static_cast<WPARAM>(c)); }
};

} // namespace Win32
