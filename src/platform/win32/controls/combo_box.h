#pragma once

#include <string>
#include <string_view>

#include "platform/win32/controls/window.h"

namespace Win32 {

// A drop-down list with an edit field (class "ComboBox", CBS_DROPDOWN).
class ComboBox final : public Window {
public:
    using Window::Window;

    int count() const { return static_cast<int>(send(CB_GETCOUNT)); }
    void resetContent() const { send(CB_RESETCONTENT); }
    void addString(std::string_view utf8) const
    {
        const std::wstring text = Wide::fromUtf8(utf8);
        send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string item(int index) const
    {
        const auto length = send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length < 0)
            return {};
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return Wide::toUtf8(text);
    }
    // -1 when no entry is selected.
    int currentSelection() const { return static_cast<int>(send(CB_GETCURSEL)); }
    // Selecting -1 also empties the edit field.
    void setCurrentSelection(int index) const { send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
    // The edit field inside the box.
    Window edit() const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        return ::GetComboBoxInfo(handle(), &info) ? Window(info.hwndItem) : Window();
    }
    // The height of the edit field's line (index -1) or of the list's lines (0).
    int itemHeight(int index) const { return static_cast<int>(send(CB_GETITEMHEIGHT, static_cast<WPARAM>(index))); }
    void setItemHeight(int index, int height) const
    {
        send(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), static_cast<LPARAM>(height));
    }
};

} // namespace Win32
