#pragma once

#include <functional>
#include <string>

#include "platform/win32/windows_api.h"

// A file's access list, read entry by entry.
namespace AccessList {

// What the list says about the file as a whole.
enum class Kind {
    // The entries were passed on.
    Read,
    // The file has no list at all: everyone may do everything.
    None,
};

// Hands each entry that grants rights on the file itself (not one only
// passed on to a folder's contents) to the visitor: its SID and rights.
// Returns ERROR_SUCCESS, or why the list could not be read.
DWORD visitAllowed(const std::wstring& path, const std::function<void(PSID, ACCESS_MASK)>& visitor,
                   Kind* kind = nullptr);

} // namespace AccessList
