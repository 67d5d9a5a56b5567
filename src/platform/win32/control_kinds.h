#pragma once

#include "platform/win32/controls/combo_box.h"
#include "platform/win32/controls/window.h"
#include "platform/win32/view_fonts.h"

class ComboBox;
class Control;
class ControlRelay;
enum class ControlKind;

namespace Win32 {

// What a control's adapter may ask of the window the control is part of.
class ControlHost {
public:
    // The option buttons' tab stops follow the selection (MainWindow).
    virtual void renderOptionTabStops() = 0;

protected:
    ~ControlHost() = default;
};

// The Win32 side of one kind of model control: the native control that
// renders it, what of the model is written into it, and which of its
// notifications are the operator's input.
class ControlKindAdapter {
public:
    virtual ~ControlKindAdapter() = default;

    // A child control of parent with the identifier id, not yet placed.
    Window create(const Control& control, HWND parent, int id, bool groupStart) const;
    virtual HFONT font(const Control& control, ViewFonts& fonts) const;
    virtual void place(const Window& window, RECT rect) const;
    // What the model holds beyond whether the control is enabled and
    // visible; only a real difference is written, as rewriting what the
    // operator just typed would move the cursor.
    virtual void render(const Control& control, const Window& window, ControlHost& host) const;
    // A notification the control sent its parent (WM_COMMAND).
    virtual void relay(Control& control, const Window& window, int code, const ControlRelay& relay) const = 0;

protected:
    // The native control: class, styles and extended styles.
    struct Native {
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
        bool tabStop;
    };
    virtual Native native(const Control& control) const = 0;
    virtual void created(const Control&, const Window&) const {}
};

const ControlKindAdapter& adapterFor(ControlKind kind);

// Writes a combo box's entries (when refill says so), selection and text.
void renderComboBox(const ::ComboBox& combo, const ComboBox& box, bool refill);

// A label drawn as a link: the hand cursor over it, notifications of clicks.
bool isLink(const Control& control);

} // namespace Win32
