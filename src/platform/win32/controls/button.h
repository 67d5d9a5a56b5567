#pragma once

#include "platform/win32/controls/window.h"

namespace Win32 {

// A push button, option button, check box or group box (class "Button").
class Button final : public Window {
public:
    using Window::Window;

    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int check() const { return static_cast<int>(send(BM_GETCHECK)); }
    void setCheck(int state) const { send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

} // namespace Win32
