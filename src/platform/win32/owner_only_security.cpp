#include "platform/win32/owner_only_security.h"

#include <cstring>

#include "platform/file_io.h"
#include "platform/win32/access_list.h"
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
    if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return readers;
    static SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AccessList::visitAllowed(path, [&](PSID sid, ACCESS_MASK rights) {
        const bool service = ::IsValidSid(sid) && std::memcmp(::GetSidIdentifierAuthority(sid), &nt, sizeof nt) == 0
            && *::GetSidSubAuthorityCount(sid) > 0 && *::GetSidSubAuthority(sid, 0) == SECURITY_SERVICE_ID_BASE_RID;
        if (service && (rights & ~(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)) == 0) {
            const auto* bytes = static_cast<const unsigned char*>(sid);
            readers.emplace_back(bytes, bytes + ::GetLengthSid(sid));
        }
    });
    return readers;
}

OwnerOnlySecurity::OwnerOnlySecurity(const std::wstring& replaced) : m_readers(serviceReadersOf(replaced))
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
