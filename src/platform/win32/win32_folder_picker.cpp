#include "platform/win32/win32_folder_picker.h"

#include "platform/win32/windows_api.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/com_scope.h"
#include "platform/win32/wide_text.h"

std::optional<std::string> Win32FolderPicker::browse()
{
    // The dialog's tree is the shell's namespace, served over COM.
    const Win32::ComScope com;
    BROWSEINFOW request{};
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&request);
    if (!item)
        return std::nullopt;
    // Room for a path past the classic limit; an item without a file-system
    // path (the computer, the network) leaves it empty.
    std::vector<wchar_t> path(32768, L'\0');
    if (!::SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
        path[0] = L'\0';
    ::CoTaskMemFree(item);
    return Wide::toUtf8(path.data());
}
