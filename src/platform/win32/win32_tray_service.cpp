#include "platform/win32/win32_tray_service.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <iterator>
#include <shellapi.h>
#include <stdexcept>

#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace {

// The window has one icon.
constexpr UINT kIconId = 1;

// The picture's icon at the notification area's size for the window's dpi.
HICON loadIcon(Icon picture, HWND window)
{
    const int id = picture == Icon::Running ? ONDREL_ICON_RUNNING : ONDREL_ICON_IDLE;
    const UINT dpi = window ? ::GetDpiForWindow(window) : ::GetDpiForSystem();
    const int size = ::GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

Win32TrayService::~Win32TrayService()
{
    // An icon left behind stays in the notification area until the mouse
    // passes over it.
    hide();
}

bool Win32TrayService::isAvailable() const
{
    return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

UINT Win32TrayService::taskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

std::optional<TrayService::Event> Win32TrayService::eventOf(LPARAM report)
{
    switch (LOWORD(report)) {
    case WM_LBUTTONDBLCLK:
        return Event::DoubleClick;
    case WM_RBUTTONUP:
        return Event::ContextMenu;
    default:
        return std::nullopt;
    }
}

bool Win32TrayService::show(Icon icon, const std::string& tip)
{
    if (!m_window || m_shown)
        return false;
    std::wstring wideTip;
    try {
        wideTip = Wide::fromUtf8(tip);
    } catch (const std::invalid_argument&) {
        // A tip that is not UTF-8 is left out rather than shown altered.
        wideTip.clear();
    }
    // The shell's tip holds 63 characters and its NUL.
    wideTip.resize(std::min(wideTip.size(), std::size(NOTIFYICONDATAW{}.szTip) - 1));
    Shown shown{icon == Icon::None ? Icon::Idle : icon, std::move(wideTip), {}};
    if (!add(shown))
        return false;
    m_shown.emplace(std::move(shown));
    return true;
}

void Win32TrayService::hide()
{
    if (!m_window || !m_shown)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = m_window;
    data.uID = kIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    m_shown.reset();
}

bool Win32TrayService::add(Shown& shown)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = m_window;
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // The window's own mouse movement must never pass for the icon's.
    data.uCallbackMessage = kCallbackMessage;
    shown.icon.reset(loadIcon(shown.picture, m_window));
    data.hIcon = shown.icon.get();
    std::copy(shown.tip.begin(), shown.tip.end(), data.szTip);
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void Win32TrayService::addAgain()
{
    if (m_shown)
        add(*m_shown);
}
