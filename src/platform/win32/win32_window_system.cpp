#include "platform/win32/win32_window_system.h"

#include "platform/win32/twips.h"

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
