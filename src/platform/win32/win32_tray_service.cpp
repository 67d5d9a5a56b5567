#include "platform/win32/win32_tray_service.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <iterator>
#include <shellapi.h>
#include <stdexcept>
#include <string>

#include "app/picture.h"
#include "platform/text_encoding.h"
#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/wide_text.h"
#include "tray/tray.h"

namespace {

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
    for (auto& [id, shown] : m_shown) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = windowOf(shown.record);
        data.uID = id;
        ::Shell_NotifyIconW(NIM_DELETE, &data);
    }
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

HWND Win32TrayService::windowOf(const NotifyIconData& record) const
{
    return record.hWnd == Tray::kWindowHandle ? m_window : nullptr;
}

bool Win32TrayService::notify(int request, const NotifyIconData& record)
{
    if (!windowOf(record))
        return false;
    if (request == Delete) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = windowOf(record);
        data.uID = record.uID;
        const bool removed = ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
        m_shown.erase(record.uID);
        return removed;
    }
    if (request != Add || m_shown.count(record.uID) > 0)
        return false;
    Shown shown{record, {}};
    if (!add(record, shown))
        return false;
    m_shown.emplace(record.uID, std::move(shown));
    return true;
}

bool Win32TrayService::add(const NotifyIconData& record, Shown& shown)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = windowOf(record);
    data.uID = record.uID;
    if (record.uFlags & NotifyIconData::kMessageValid) {
        data.uFlags |= NIF_MESSAGE;
        // The window's own mouse movement must never pass for the icon's.
        data.uCallbackMessage = kCallbackMessage;
    }
    if (record.uFlags & NotifyIconData::kIconValid) {
        const auto picture = static_cast<Icon>(record.hIcon);
        shown.icon.reset(loadIcon(picture == Icon::None ? Icon::Idle : picture, data.hWnd));
        data.uFlags |= NIF_ICON;
        data.hIcon = shown.icon.get();
    }
    if (record.uFlags & NotifyIconData::kTipValid) {
        const auto end = std::find(record.szTip.begin(), record.szTip.end(), '\0');
        std::wstring tip;
        try {
            tip = Wide::fromUtf8(m_encoding.gbkToUtf8(std::string(record.szTip.begin(), end)));
        } catch (const std::invalid_argument&) {
            tip.clear();
        }
        tip.resize(std::min(tip.size(), std::size(data.szTip) - 1));
        std::copy(tip.begin(), tip.end(), data.szTip);
        data.uFlags |= NIF_TIP;
    }
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void Win32TrayService::addAgain()
{
    for (auto& [id, shown] : m_shown)
        add(shown.record, shown);
}
