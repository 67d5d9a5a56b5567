#pragma once

#include <optional>
#include <string>

#include "app/view/centring.h"
#include "platform/icon.h"

// What a view's top-level window does for WindowPresenter: each call
// renders one property of the model's window, in the view's own units.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual void setTitle(const std::string& caption) = 0;
    virtual void setIcon(Icon icon) = 0;
    // Puts the window on the taskbar or takes it off; true when doing so hid
    // the window, which is then shown again as the model has it.
    virtual bool setTaskbarEntry(bool inTaskbar) = 0;
    // The outer top-left corner, frame included.
    virtual void moveTo(TwipsPoint outer) = 0;
    virtual void hide() = 0;
    virtual void minimise() = 0;
    // Shown normally (restored if minimised), in front of the others, active.
    virtual void showInFront() = 0;

    // The size of the window's screen and its own outer size; none while
    // the system cannot tell.
    struct Sizes {
        TwipsSize screen;
        TwipsSize outer;
    };
    virtual std::optional<Sizes> sizes() const = 0;
};
