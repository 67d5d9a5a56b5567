#include "platform/win32/system_error.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace SystemError {

namespace {

std::string systemsWords(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        ::LocalFree(buffer);
    // The message is one sentence ending in a full stop and a line break;
    // the program's own message adds its own full stop.
    while (!text.empty()
           && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'
               || text.back() == L'\u3002'))
        text.pop_back();
    if (text.empty())
        return "系统错误 " + std::to_string(code);
    return Wide::toUtf8(text);
}

} // namespace

std::string reason(unsigned long code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return "没有访问权限";
    case ERROR_WRITE_PROTECT:
        return "磁盘为只读";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "磁盘空间不足";
    case ERROR_PATH_NOT_FOUND:
        return "文件夹不存在";
    case ERROR_FILE_NOT_FOUND:
        return "文件不存在";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "文件正被其他程序使用";
    default:
        return systemsWords(static_cast<DWORD>(code));
    }
}

} // namespace SystemError
