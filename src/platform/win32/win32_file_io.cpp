#include "platform/win32/win32_file_io.h"

#include <algorithm>
#include <random>

#include "platform/win32/api_path.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/owner_only_security.h"
#include "platform/win32/system_error.h"
#include "platform/win32/windows_api.h"

namespace {

[[noreturn]] void fail(DWORD error)
{
    throw FileIo::Error(SystemError::reason(error));
}

std::wstring pathFor(const std::string& path)
{
    try {
        return ApiPath::of(path);
    } catch (const std::invalid_argument&) {
        throw FileIo::Error("路径不是有效的文本");
    }
}

// A file beside the target that nobody else may open, removed again unless
// it was moved over the target.
class TempFile final {
public:
    explicit TempFile(const std::wstring& target)
    {
        OwnerOnlySecurity security(target);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_name = target + L"." + std::to_wstring(random() % 1000000) + L".tmp";
            m_file.reset(::CreateFileW(m_name.c_str(), GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_file)
                return;
            if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
                fail(::GetLastError());
        }
        fail(ERROR_FILE_EXISTS);
    }
    ~TempFile()
    {
        m_file.reset();
        if (!m_committed)
            ::DeleteFileW(m_name.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void write(const std::string& bytes)
    {
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
            DWORD written = 0;
            if (!::WriteFile(m_file.get(), p, chunk, &written, nullptr))
                fail(::GetLastError());
            p += written;
            left -= written;
        }
        if (!::FlushFileBuffers(m_file.get()))
            fail(::GetLastError());
        m_file.reset();
    }

    // The temporary file keeps its own access list when it is moved, where
    // ReplaceFileW would take the old file's.
    void moveOver(const std::wstring& target)
    {
        if (!::MoveFileExW(m_name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            fail(::GetLastError());
        m_committed = true;
    }

private:
    std::wstring m_name;
    OwnedFile m_file;
    bool m_committed = false;
};

} // namespace

bool Win32FileIo::isRegularFile(const std::string& path) const
{
    std::wstring wide;
    try {
        wide = ApiPath::of(path);
    } catch (const std::invalid_argument&) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    // A settings file marked hidden or system counts as missing.
    constexpr DWORD kNotASettingsFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotASettingsFile) == 0;
}

std::string Win32FileIo::readAll(const std::string& path) const
{
    const OwnedFile file(::CreateFileW(pathFor(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        fail(::GetLastError());
    // Read straight into the string, sized by the file: a resident service
    // reads its settings often and keeps no large buffer on its stack.
    LARGE_INTEGER size{};
    const std::size_t expected = ::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0
        ? static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, 1 << 30))
        : 0;
    std::string bytes(expected + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1 << 30));
        if (!::ReadFile(file.get(), bytes.data() + used, wanted, &read, nullptr))
            fail(::GetLastError());
        if (read == 0)
            break;
        used += read;
    }
    bytes.resize(used);
    return bytes;
}

void Win32FileIo::writeAtomically(const std::string& path, const std::string& bytes)
{
    const std::wstring target = pathFor(path);
    const DWORD existing = ::GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
        throw FileIo::Error("同名文件夹已存在");
    // Windows refuses to replace a read-only file (Wine does not): the
    // operator's protection holds either way.
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        fail(ERROR_ACCESS_DENIED);
    TempFile temp(target);
    temp.write(bytes);
    temp.moveOver(target);
}

void Win32FileIo::overwrite(const std::string& path, const std::string& bytes)
{
    const OwnedFile file(::CreateFileW(pathFor(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        fail(::GetLastError());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t left = bytes.size() - written;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD wrote = 0;
        if (!::WriteFile(file.get(), bytes.data() + written, chunk, &wrote, nullptr))
            fail(::GetLastError());
        written += wrote;
    }
    if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get()))
        fail(::GetLastError());
}

std::string Win32FileIo::stamp(const std::string& path) const
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(pathFor(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    return std::to_string(data.nFileSizeHigh) + ":" + std::to_string(data.nFileSizeLow) + ":"
        + std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" + std::to_string(data.ftLastWriteTime.dwLowDateTime)
        + ":" + std::to_string(data.ftCreationTime.dwLowDateTime) + ":" + std::to_string(data.dwFileAttributes);
}
