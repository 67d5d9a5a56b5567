#include "platform/win32/win32_shell.h"

#include <optional>
#include <stdexcept>

#include "platform/win32/api_path.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace {

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The path in UTF-16, or nothing for bytes that are not UTF-8 (no such path
// can exist, and none can be made).
std::optional<std::wstring> widePath(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    try {
        return ApiPath::of(path);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

// Where the folders of a path begin: after "C:\", "\\server\share\",
// "\\?\C:\" or "\\?\UNC\server\share\"; 0 for a relative path.
std::size_t rootLength(const std::wstring& path)
{
    std::size_t at = 0;
    bool share = false;
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        at = 8;
        share = true;
    } else if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) {
        at = 4;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        at = 2;
        share = true;
    }
    if (share) {
        // The server and the share name.
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && !isSeparator(path[at]))
                ++at;
            if (at < path.size())
                ++at;
        }
    } else if (path.size() >= at + 2 && path[at + 1] == L':') {
        at += 2;
    }
    while (at < path.size() && isSeparator(path[at]))
        ++at;
    return at;
}

bool removeTree(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A read-only file is still the program's to remove.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ::DeleteFileW(path.c_str()) != 0;
    // A junction or a folder link is removed itself; what it points to is
    // not the backup's and stays.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        const OwnedFind search(
            ::FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
        bool removed = true;
        if (search) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..")
                    removed = removeTree(path + L"\\" + name) && removed;
            } while (::FindNextFileW(search.get(), &found));
        }
        if (!removed)
            return false;
    }
    return ::RemoveDirectoryW(path.c_str()) != 0;
}

} // namespace

bool Win32Shell::fileExists(const std::string& path) const
{
    const auto wide = widePath(path);
    if (!wide)
        return false;
    const DWORD attributes = ::GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Shell::folderHoldsFile(const std::string& folder) const
{
    auto wide = widePath(folder);
    if (!wide)
        return false;
    if (!isSeparator(wide->back()))
        *wide += L'\\';
    WIN32_FIND_DATAW found;
    const OwnedFind search(
        ::FindFirstFileExW((*wide + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (!search)
        return false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
    } while (::FindNextFileW(search.get(), &found));
    return false;
}

void Win32Shell::makeSureDirectoryPathExists(const std::string& path)
{
    const auto wide = widePath(path);
    if (!wide)
        return;
    // Every component up to the last separator is a folder; what follows it
    // is a file name and is left alone.
    for (std::size_t at = rootLength(*wide); at < wide->size(); ++at) {
        if (isSeparator((*wide)[at]) && !isSeparator((*wide)[at - 1]))
            ::CreateDirectoryW(wide->substr(0, at).c_str(), nullptr);
    }
}

bool Win32Shell::exists(const std::string& path) const
{
    const auto wide = widePath(path);
    return wide && ::GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Shell::moveToTrash(const std::string& path, const std::string&)
{
    std::wstring item;
    try {
        item = Wide::fromUtf8(path);
    } catch (const std::invalid_argument&) {
        return false;
    }
    for (wchar_t& c : item) {
        if (c == L'/')
            c = L'\\';
    }
    while (item.size() > 1 && item.back() == L'\\')
        item.pop_back();
    // The recycle bin takes only a full path, and the shell's file
    // operations no path past the classic limit: such an item is refused
    // (the caller then removes it itself).
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(item.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const DWORD attributes = ::GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A list of paths, each ended by a NUL, the list by a second one.
    std::wstring from(full, length);
    from.push_back(L'\0');
    // No confirmation, no progress and no error dialog: at three in the
    // morning nobody is there to click one, and the run would wait for it.
    FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        flags |= FOF_NOCONFIRMMKDIR;
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = flags;
    // On a volume without a recycle bin the item is deleted outright: old
    // backups come here only once their replacement is written.
    const int result = ::SHFileOperationW(&operation);
    return result == 0 && !operation.fAnyOperationsAborted && ::GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES;
}

bool Win32Shell::rename(const std::string& from, const std::string& to)
{
    const auto source = widePath(from);
    const auto target = widePath(to);
    return source && target && ::MoveFileExW(source->c_str(), target->c_str(), 0) != 0;
}

bool Win32Shell::removeAll(const std::string& path)
{
    auto wide = widePath(path);
    if (!wide)
        return false;
    while (wide->size() > 1 && isSeparator(wide->back()))
        wide->pop_back();
    return removeTree(*wide);
}
