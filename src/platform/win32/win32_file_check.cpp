#include "platform/win32/win32_file_check.h"

#include <aclapi.h>
#include <sddl.h>

#include <stdexcept>

#include "platform/win32/access_list.h"
#include "platform/win32/api_path.h"
#include "platform/win32/system_error.h"
#include "platform/win32/windows_api.h"

namespace {

// Rights that change a file, a folder's entries, or who may.
constexpr DWORD kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER
    | GENERIC_WRITE | GENERIC_ALL;

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    return ::IsWellKnownSid(sid, type) != FALSE;
}

// Administrators, SYSTEM, TrustedInstaller and the service's own account
// ("NT SERVICE\Ondrel") may change what the service runs and reads.
std::wstring textOf(PSID sid)
{
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return {};
    std::wstring name(text);
    ::LocalFree(text);
    return name;
}

bool trusted(PSID sid, const std::wstring& installer)
{
    if (isWellKnown(sid, WinBuiltinAdministratorsSid) || isWellKnown(sid, WinLocalSystemSid))
        return true;
    const std::wstring name = textOf(sid);
    if (name.empty())
        return false;
    if (!installer.empty() && name == installer)
        return true;
    // NT SERVICE\TrustedInstaller, and NT SERVICE\Ondrel (the service SID
    // is the hash of its name; it stands under NT SERVICE, S-1-5-80).
    if (name == L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464")
        return true;
    wchar_t domain[64];
    wchar_t account[64];
    DWORD accountSize = 64;
    DWORD domainSize = 64;
    SID_NAME_USE use{};
    return ::LookupAccountSidW(nullptr, sid, account, &accountSize, domain, &domainSize, &use)
        && std::wstring(domain) == L"NT SERVICE" && std::wstring(account) == L"Ondrel";
}

std::string unsafeMessage(const std::string& path)
{
    return "“" + path
        + "”可被管理员以外的用户修改,后台备份服务拒绝安装或启动。请在其“属性 → 安全”中只允许 Administrators、"
          "SYSTEM 修改它(例如放在 C:\\Program Files 中)。";
}

} // namespace

namespace Win32FileCheck {

std::wstring currentUser()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    const bool read = ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    return read ? textOf(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) : std::wstring();
}

std::optional<std::string> firstUnsafe(const std::vector<std::string>& paths, const std::wstring& installer)
{
    for (const std::string& path : paths) {
        std::wstring wide;
        try {
            wide = ApiPath::of(path);
        } catch (const std::invalid_argument&) {
            return "无法检查“" + path + "”:路径不是有效的文本。";
        }
        bool safe = true;
        AccessList::Kind kind = AccessList::Kind::Read;
        const DWORD status = AccessList::visitAllowed(
            wide,
            [&](PSID sid, ACCESS_MASK rights) {
                if ((rights & kChanging) && !trusted(sid, installer))
                    safe = false;
            },
            &kind);
        if (status != ERROR_SUCCESS)
            return "无法检查“" + path + "”:" + SystemError::reason(status) + ",后台备份服务不启动。";
        // No list at all lets everyone in.
        if (!safe || kind == AccessList::Kind::None)
            return unsafeMessage(path);
    }
    return std::nullopt;
}

} // namespace Win32FileCheck
