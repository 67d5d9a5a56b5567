#include "platform/win32/api_path.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace ApiPath {

namespace {

// CreateDirectoryW's limit, the lowest of the file functions'.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

bool startsWith(const std::wstring& text, std::wstring_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::wstring of(std::string_view utf8)
{
    return ofWide(Wide::fromUtf8(utf8));
}

std::wstring ofWide(std::wstring path)
{
    if (path.size() < kClassicLimit || startsWith(path, L"\\\\?\\"))
        return path;
    // The "\\?\" form is taken literally: "/", "." and ".." are resolved first.
    DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    length = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    if (startsWith(full, L"\\\\.\\"))
        return full;
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace ApiPath
