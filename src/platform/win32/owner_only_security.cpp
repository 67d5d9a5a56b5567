#include "platform/win32/owner_only_security.h"

#include <aclapi.h>

#include <cstring>

#include "platform/file_io.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/system_error.h"

namespace {

[[noreturn]] void fail()
{
    throw FileIo::Error(SystemError::reason(::GetLastError()));
}

} // namespace

// The SIDs of services' own accounts that the file's entries let read it
// and do nothing more.
std::vector<std::vector<unsigned char>> serviceReadersOf(const std::wstring& path)
{
    std::vector<std::vector<unsigned char>> readers;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (path.empty()
        || ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                   nullptr, &descriptor)
            != ERROR_SUCCESS)
        return readers;
    static SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        const PSID sid = reinterpret_cast<PSID>(&allowed->SidStart);
        const bool service = ::IsValidSid(sid) && std::memcmp(::GetSidIdentifierAuthority(sid), &nt, sizeof nt) == 0
            && *::GetSidSubAuthorityCount(sid) > 0 && *::GetSidSubAuthority(sid, 0) == SECURITY_SERVICE_ID_BASE_RID;
        if (service && (allowed->Mask & ~(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)) == 0) {
            const auto* bytes = static_cast<const unsigned char*>(sid);
            readers.emplace_back(bytes, bytes + ::GetLengthSid(sid));
        }
    }
    ::LocalFree(descriptor);
    return readers;
}

OwnerOnlySecurity::OwnerOnlySecurity(const std::wstring& replaced)
    : m_readers(serviceReadersOf(replaced))
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        fail();
    const OwnedKernelObject ownedToken(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    m_user.resize(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, m_user.data(), size, &size))
        fail();
    const PSID user = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;

    DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(user);
    for (const auto& reader : m_readers)
        aclSize += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + reader.size());
    m_acl.resize(aclSize);
    auto* acl = reinterpret_cast<ACL*>(m_acl.data());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) || !::AddAccessAllowedAce(acl, ACL_REVISION, kOwnerAccess, user))
        fail();
    for (auto& reader : m_readers) {
        if (!::AddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ, reader.data()))
            fail();
    }
    // Protected: the folder's inheritable entries (Users may read, say) stay out.
    if (!::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)
        || !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)
        || !::SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        fail();
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}
