#include "platform/win32/control_kinds.h"

#include "app/check_box.h"
#include "app/combo_box.h"
#include "app/label.h"
#include "app/option_button.h"
#include "app/text_box.h"
#include "app/view/adapter_by_kind.h"
#include "app/view/control_relay.h"
#include "platform/win32/controls/button.h"
#include "platform/win32/controls/edit.h"

namespace Win32 {

namespace {

// A dropped-down list shows this many lines of the edit field's height.
constexpr int kDroppedLines = 8;

class FrameKind final : public ControlKindAdapter {
    Native native(const Control&) const override { return {L"Button", BS_GROUPBOX, 0, false}; }
    void relay(Control&, const Window&, int, const ControlRelay&) const override {}
};

class LabelKind final : public ControlKindAdapter {
    // Drawn by CaptionPainter: one line from the top-left corner, clipped at
    // the label's edge, the underline of a link kept inside.
    Native native(const Control& control) const override
    {
        return {L"Static", static_cast<DWORD>(SS_OWNERDRAW | SS_NOPREFIX | (isLink(control) ? SS_NOTIFY : 0)), 0,
                false};
    }
    HFONT font(const Control& control, ViewFonts& fonts) const override
    {
        return fonts.fontFor(static_cast<const Label&>(control).font());
    }
    void relay(Control& control, const Window&, int code, const ControlRelay& relay) const override
    {
        if (code == STN_CLICKED)
            relay.click(control);
    }
};

class TextBoxKind final : public ControlKindAdapter {
    Native native(const Control& control) const override
    {
        const bool password = static_cast<const TextBox&>(control).passwordChar() != '\0';
        return {L"Edit", static_cast<DWORD>(ES_LEFT | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0)), WS_EX_CLIENTEDGE,
                true};
    }
    void created(const Control& control, const Window& window) const override
    {
        const char passwordChar = static_cast<const TextBox&>(control).passwordChar();
        if (passwordChar != '\0')
            Edit(window.handle()).setPasswordChar(static_cast<wchar_t>(static_cast<unsigned char>(passwordChar)));
    }
    void relay(Control& control, const Window& window, int code, const ControlRelay& relay) const override
    {
        if (code == EN_CHANGE)
            relay.typed(static_cast<TextBox&>(control), window.text());
    }
};

class CommandButtonKind final : public ControlKindAdapter {
    Native native(const Control&) const override { return {L"Button", BS_PUSHBUTTON, 0, true}; }
    void relay(Control& control, const Window&, int code, const ControlRelay& relay) const override
    {
        if (code == BN_CLICKED)
            relay.click(control);
    }
};

class ComboBoxKind final : public ControlKindAdapter {
    Native native(const Control&) const override
    {
        return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, true};
    }
    // A drop-down combo box is as high as its edit field, which its font
    // decides; the height it is given is that of the open list.
    void place(const Window& window, RECT rect) const override
    {
        const int height = rect.bottom - rect.top;
        rect.bottom = rect.top + height * kDroppedLines;
        window.move(rect);
        // The field's height follows the height set for its line one for
        // one; what is read back for the line need not be what was set.
        const ComboBox combo(window.handle());
        const int line = combo.itemHeight(-1);
        combo.setItemHeight(-1, line);
        RECT closed{};
        ::GetWindowRect(combo.handle(), &closed);
        const int difference = height - (closed.bottom - closed.top);
        if (difference != 0 && line + difference > 0)
            combo.setItemHeight(-1, line + difference);
    }
    void render(const Control& control, const Window& window, ControlHost&) const override
    {
        renderComboBox(static_cast<const ::ComboBox&>(control), ComboBox(window.handle()), false);
    }
    void relay(Control& control, const Window& window, int code, const ControlRelay& relay) const override
    {
        auto& combo = static_cast<::ComboBox&>(control);
        const ComboBox box(window.handle());
        if (code == CBN_EDITCHANGE)
            relay.typed(combo, box.text());
        else if (code == CBN_SELCHANGE && box.currentSelection() >= 0)
            relay.chosen(combo, box.currentSelection());
    }
};

// The model decides which option is selected and what a click on the lock
// does: neither kind changes its own state.
class OptionButtonKind final : public ControlKindAdapter {
    Native native(const Control&) const override { return {L"Button", BS_RADIOBUTTON, 0, true}; }
    void render(const Control& control, const Window& window, ControlHost& host) const override
    {
        ControlKindAdapter::render(control, window, host);
        Button(window.handle())
            .setCheck(static_cast<const OptionButton&>(control).value() ? BST_CHECKED : BST_UNCHECKED);
        host.renderOptionTabStops();
    }
    void relay(Control& control, const Window&, int code, const ControlRelay& relay) const override
    {
        if (code == BN_CLICKED)
            relay.clickAndRender(control);
    }
};

class CheckBoxKind final : public ControlKindAdapter {
    Native native(const Control&) const override { return {L"Button", BS_3STATE, 0, true}; }
    void render(const Control& control, const Window& window, ControlHost& host) const override
    {
        ControlKindAdapter::render(control, window, host);
        Button(window.handle()).setCheck(checkStateOf(static_cast<const CheckBox&>(control).value()));
    }
    void relay(Control& control, const Window&, int code, const ControlRelay& relay) const override
    {
        if (code == BN_CLICKED)
            relay.clickAndRender(control);
    }

    static int checkStateOf(int value)
    {
        switch (value) {
        case 1:
            return BST_CHECKED;
        case 2:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
        }
    }
};

} // namespace

Window ControlKindAdapter::create(const Control& control, HWND parent, int id, bool groupStart) const
{
    const Native kind = native(control);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style;
    if (kind.tabStop)
        style |= WS_TABSTOP | (groupStart ? WS_GROUP : 0);
    const Window window(::CreateWindowExW(kind.exStyle, kind.className, L"", style, 0, 0, 0, 0, parent,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                          ::GetModuleHandleW(nullptr), nullptr));
    created(control, window);
    return window;
}

HFONT ControlKindAdapter::font(const Control&, ViewFonts& fonts) const
{
    return fonts.windowFont();
}

void ControlKindAdapter::place(const Window& window, RECT rect) const
{
    window.move(rect);
}

void ControlKindAdapter::render(const Control& control, const Window& window, ControlHost&) const
{
    if (window.text() != control.caption())
        window.setText(control.caption());
}

const ControlKindAdapter& adapterFor(ControlKind kind)
{
    return adapterByKind<ControlKindAdapter, FrameKind, LabelKind, TextBoxKind, CommandButtonKind, ComboBoxKind,
                         OptionButtonKind, CheckBoxKind>(kind);
}

void renderComboBox(const ::ComboBox& combo, const ComboBox& box, bool refill)
{
    if (refill) {
        box.resetContent();
        for (const std::string& item : combo.items())
            box.addString(item);
    }
    // Selecting no entry empties the edit field: the text is written after.
    const int index = static_cast<int>(combo.listIndex());
    if (box.currentSelection() != index)
        box.setCurrentSelection(index);
    const Window edit = box.edit();
    if (edit.text() != combo.text())
        edit.setText(combo.text());
}

bool isLink(const Control& control)
{
    return control.kind() == ControlKind::Label && static_cast<const Label&>(control).font().underline;
}

} // namespace Win32
