#include "platform/win32/window_procedure.h"

namespace Win32 {

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* target = reinterpret_cast<MessageTarget*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!target)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        target->onWindowGone();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return target->onMessage(window, message, wParam, lParam);
}

} // namespace

HWND createWindowFor(MessageTarget& target, const WindowClass& windowClass, DWORD exStyle, const wchar_t* title,
                     DWORD style, POINT position, SIZE size, HWND parent)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW registered{};
    registered.cbSize = sizeof registered;
    registered.lpfnWndProc = procedure;
    registered.hInstance = instance;
    registered.hCursor = windowClass.cursor;
    registered.hbrBackground = windowClass.background;
    registered.lpszClassName = windowClass.name;
    ::RegisterClassExW(&registered); // fails harmlessly when already registered
    return ::CreateWindowExW(exStyle, windowClass.name, title, style, position.x, position.y, size.cx, size.cy, parent,
                             nullptr, instance, &target);
}

} // namespace Win32
