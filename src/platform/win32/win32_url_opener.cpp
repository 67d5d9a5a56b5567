#include "platform/win32/win32_url_opener.h"

#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include <stdexcept>

#include "platform/win32/com_scope.h"
#include "platform/win32/wide_text.h"

void Win32UrlOpener::open(const std::string& address)
{
    std::wstring wide;
    try {
        wide = Wide::fromUtf8(address);
    } catch (const std::invalid_argument&) {
        return;
    }
    // Some handlers behind an address use COM on the calling thread.
    const Win32::ComScope com;
    // A browser that fails to start is its own business: the result is
    // deliberately not reported.
    ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
