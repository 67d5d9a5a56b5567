#include "platform/win32/access_list.h"

#include <aclapi.h>

namespace AccessList {

DWORD visitAllowed(const std::wstring& path, const std::function<void(PSID, ACCESS_MASK)>& visitor, Kind* kind)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                                 nullptr, &dacl, nullptr, &descriptor);
    if (status != ERROR_SUCCESS)
        return status;
    if (kind)
        *kind = dacl ? Kind::Read : Kind::None;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        visitor(reinterpret_cast<PSID>(&allowed->SidStart), allowed->Mask);
    }
    ::LocalFree(descriptor);
    return ERROR_SUCCESS;
}

} // namespace AccessList
