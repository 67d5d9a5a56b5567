#pragma once

#include <vector>

#include "platform/win32/windows_api.h"

// Security attributes for a new file that only the user running the program
// may open: one entry for that user, and no entries inherited from the folder.
class OwnerOnlySecurity final {
public:
    // Throws FileIo::Error when the user cannot be found out.
    OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    SECURITY_ATTRIBUTES* attributes() { return &m_attributes; }
    // What the owner may do with the file: read, write, rename and delete it.
    static constexpr DWORD kOwnerAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;

private:
    std::vector<unsigned char> m_user; // TOKEN_USER
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};
