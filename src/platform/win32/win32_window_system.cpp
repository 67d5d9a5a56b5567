#include "platform/win32/win32_window_system.h"

#include "platform/win32/twips.h"
#include "platform/win32/wide_text.h"

RECT Win32WindowSystem::screen() const
{
    // The monitor the window is on (the primary one before it exists).
    const HMONITOR monitor = m_window ? ::MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY)
                                      : ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info))
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return info.rcMonitor;
}

RECT Win32WindowSystem::window() const
{
    RECT rect{};
    if (m_window)
        ::GetWindowRect(m_window, &rect);
    return rect;
}

float Win32WindowSystem::twipsPerPixelX() const
{
    return Twips::perPixel(m_window ? ::GetDpiForWindow(m_window) : ::GetDpiForSystem());
}

float Win32WindowSystem::screenWidthTwips() const
{
    const RECT r = screen();
    return static_cast<float>(r.right - r.left) * twipsPerPixelX();
}

float Win32WindowSystem::screenHeightTwips() const
{
    const RECT r = screen();
    return static_cast<float>(r.bottom - r.top) * twipsPerPixelX();
}

float Win32WindowSystem::windowWidthTwips() const
{
    const RECT r = window();
    return static_cast<float>(r.right - r.left) * twipsPerPixelX();
}

float Win32WindowSystem::windowHeightTwips() const
{
    const RECT r = window();
    return static_cast<float>(r.bottom - r.top) * twipsPerPixelX();
}

std::string Win32WindowSystem::popupMenu(const std::vector<MenuEntry>& items)
{
    if (!m_window || items.empty())
        return {};
    const HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return {};
    // Item identifiers count from 1: TrackPopupMenu returns 0 for no choice.
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuEntry& item = items[i];
        if (item.isSeparator()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuW(menu, flags, i + 1, Wide::fromUtf8(item.caption).c_str());
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The documented way for a notification icon's menu: a menu whose
    // window is not in the foreground stays open when the operator clicks
    // elsewhere, and without the message after it the next opening closes
    // at once.
    ::SetForegroundWindow(m_window);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_window, nullptr));
    ::PostMessageW(m_window, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
    if (chosen == 0 || chosen > items.size())
        return {};
    return items[chosen - 1].name;
}
