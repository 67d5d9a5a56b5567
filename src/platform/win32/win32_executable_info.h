#pragma once

#include <string>

#include "platform/executable_info.h"

// The running executable, as GetModuleFileNameW names it: any length, any
// characters. Its folder keeps the "\" of a drive's root ("C:\"), as the
// system spells a root.
class Win32ExecutableInfo final : public ExecutableInfo {
public:
    Win32ExecutableInfo();
    // The same, for the executable at a full path (UTF-16).
    explicit Win32ExecutableInfo(const std::wstring& modulePath);

    std::string folder() const override { return m_folder; }
    std::string baseName() const override { return m_baseName; }

    // The full path of this process's executable.
    static std::wstring modulePath();

private:
    std::string m_folder;
    std::string m_baseName;
};
