#pragma once

#include "platform/executable_info.h"

// The running executable, as /proc/self/exe names it.
class PosixExecutableInfo final : public ExecutableInfo {
public:
    PosixExecutableInfo();
    std::string folder() const override { return m_folder; }
    std::string baseName() const override { return m_baseName; }

private:
    std::string m_folder;
    std::string m_baseName;
};
