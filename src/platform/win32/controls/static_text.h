#pragma once

#include "platform/win32/controls/window.h"

namespace Win32 {

// A label (class "Static"); with SS_NOTIFY it reports clicks.
class StaticText final : public Window {
public:
    using Window::Window;
};

} // namespace Win32
