#pragma once

#include "platform/executable_info.h"

class FakeExecutableInfo final : public ExecutableInfo {
public:
    FakeExecutableInfo(std::string folder = "/opt/ondrel", std::string baseName = "ondrel")
        : m_folder(std::move(folder))
        , m_baseName(std::move(baseName))
    {
    }
    std::string folder() const override { return m_folder; }
    std::string baseName() const override { return m_baseName; }

    std::string m_folder;
    std::string m_baseName;
};
