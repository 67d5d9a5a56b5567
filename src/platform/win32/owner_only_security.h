#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

// Security attributes for a new file that only the user running the program
// may open: one entry for that user, and no entries inherited from the folder.
// A file that replaces another keeps the other's entries that let a
// service's own account (NT SERVICE\..., S-1-5-80-...) read it and do
// nothing more: the background service reads the settings the window saves.
class OwnerOnlySecurity final {
public:
    // Throws FileIo::Error when the user cannot be found out. The file to
    // be replaced, if any, as the wide file functions take it.
    explicit OwnerOnlySecurity(const std::wstring& replaced = {});
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    SECURITY_ATTRIBUTES* attributes() { return &m_attributes; }
    // What the owner may do with the file: read, write, rename and delete it.
    static constexpr DWORD kOwnerAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;

private:
    std::vector<unsigned char> m_user;                 // TOKEN_USER
    std::vector<std::vector<unsigned char>> m_readers; // the services' SIDs
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};
