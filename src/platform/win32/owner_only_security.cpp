#include "platform/win32/owner_only_security.h"

#include "platform/file_io.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/system_error.h"

namespace {

[[noreturn]] void fail()
{
    throw FileIo::Error(SystemError::reason(::GetLastError()));
}

} // namespace

OwnerOnlySecurity::OwnerOnlySecurity()
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

    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(user);
    m_acl.resize(aclSize);
    auto* acl = reinterpret_cast<ACL*>(m_acl.data());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) || !::AddAccessAllowedAce(acl, ACL_REVISION, kOwnerAccess, user))
        fail();
    // Protected: the folder's inheritable entries (Users may read, say) stay out.
    if (!::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)
        || !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)
        || !::SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        fail();
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}
