#include "platform/win32/win32_executable_info.h"

#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace {

// The longest path the wide functions know, with its terminating NUL.
constexpr DWORD kLongestPath = 32768;

bool isDriveRoot(const std::wstring& folder)
{
    const std::wstring_view drive = folder.rfind(L"\\\\?\\", 0) == 0 ? std::wstring_view(folder).substr(4) : folder;
    return drive.size() == 2 && drive[1] == L':';
}

} // namespace

Win32ExecutableInfo::Win32ExecutableInfo() : Win32ExecutableInfo(modulePath()) {}

Win32ExecutableInfo::Win32ExecutableInfo(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    if (isDriveRoot(folder))
        folder += L'\\';
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.resize(dot);
    m_folder = Wide::toUtf8(folder);
    m_baseName = Wide::toUtf8(name.empty() ? std::wstring(L"ondrel") : name);
}

std::wstring Win32ExecutableInfo::modulePath()
{
    // The buffer grows until the whole path fits: a path cut at MAX_PATH
    // would name another settings file.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return {buffer.data(), length};
        if (buffer.size() >= kLongestPath)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}
