#include "tray/tray.h"

#include <algorithm>

#include "app/sites.h"

std::string Tray::tipText()
{
    return Sites::bareDomainOf(Sites::kUpdate) + "'Ondrel";
}

void Tray::prepareDelete()
{
    nid.cbSize = kRecordSize;
    nid.hWnd = kWindowHandle;
    nid.uID = kIconId;
}

void Tray::prepareAdd(std::uint32_t windowIcon)
{
    prepareDelete();
    nid.uFlags = kFlags;
    nid.uCallbackMessage = kCallbackMessage;
    nid.hIcon = windowIcon;
    // The tip is plain ASCII, so its GBK bytes are its own.
    const std::string tip = tipText();
    nid.szTip.fill(' ');
    const std::size_t length = std::min(tip.size(), nid.szTip.size() - 1);
    std::copy_n(tip.begin(), length, nid.szTip.begin());
    nid.szTip[length] = '\0';
}
