#pragma once

#include <optional>
#include <string>
#include <vector>

// What a service running with rights of its own must not trust: a file or
// folder whose access list lets anyone but Administrators, SYSTEM,
// TrustedInstaller, the service itself and the administrator who
// installed it change it would let them run code, or read the password,
// with the service's rights.
namespace Win32FileCheck {

// The message for the first such path (UTF-8), or for one whose access list
// cannot be read; nothing when every path is safe.
// The installer is named by its SID's text ("S-1-5-21-...").
std::optional<std::string> firstUnsafe(const std::vector<std::string>& paths, const std::wstring& installer);

// The text of the SID of the user this process runs as; empty when it
// cannot be told.
std::wstring currentUser();

} // namespace Win32FileCheck
