#pragma once

#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace Win32 {

// A window or control of the window system, by its handle; it owns nothing.
// Texts are UTF-8 on this side, UTF-16 at the calls.
class Window {
public:
    Window() = default;
    explicit Window(HWND handle) : m_handle(handle) {}

    HWND handle() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_handle, message, wParam, lParam);
    }

    std::string text() const
    {
        std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(m_handle)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(::GetWindowTextW(m_handle, text.data(), static_cast<int>(text.size()))));
        return Wide::toUtf8(text);
    }
    void setText(std::string_view utf8) const { ::SetWindowTextW(m_handle, Wide::fromUtf8(utf8).c_str()); }

    bool isEnabled() const { return ::IsWindowEnabled(m_handle) != 0; }
    void enable(bool enabled) const { ::EnableWindow(m_handle, enabled); }
    bool isVisible() const { return ::IsWindowVisible(m_handle) != 0; }
    void show(int command) const { ::ShowWindow(m_handle, command); }

    void setFont(HFONT font) const { send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    void move(const RECT& rect) const
    {
        ::MoveWindow(m_handle, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
    void focus() const { ::SetFocus(m_handle); }

private:
    HWND m_handle = nullptr;
};

} // namespace Win32
