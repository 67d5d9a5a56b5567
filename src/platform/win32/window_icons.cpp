#include "platform/win32/window_icons.h"

#include "platform/win32/resources/resource_ids.h"

namespace Win32 {

namespace {

HICON load(int id, int size)
{
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

WindowIcons::WindowIcons(Icon icon, UINT dpi)
{
    if (icon == Icon::None)
        return;
    const int id = icon == Icon::Running ? ONDREL_ICON_RUNNING : ONDREL_ICON_IDLE;
    m_big.reset(load(id, ::GetSystemMetricsForDpi(SM_CXICON, dpi)));
    m_small.reset(load(id, ::GetSystemMetricsForDpi(SM_CXSMICON, dpi)));
}

} // namespace Win32
