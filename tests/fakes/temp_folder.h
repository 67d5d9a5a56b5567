#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "fakes/utf8_path.h"

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder final {
public:
    TempFolder()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_path = std::filesystem::temp_directory_path() / ("ondrel-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_path))
                return;
        }
        throw std::runtime_error("no temporary folder could be made");
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     error);
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder as the program holds a path: UTF-8 text.
    std::string text() const { return utf8Of(m_path); }

private:
    std::filesystem::path m_path;
};
