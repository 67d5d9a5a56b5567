#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/freedesktop_trash.h"
#include "platform/posix/posix_shell.h"

// The real file system, with a trash of the test's own: items moved to the
// trash land in a folder the test can look into, or the trash can refuse.
class TestShell final : public PosixShell {
public:
    explicit TestShell(std::filesystem::path trashFolder) : m_trash(std::move(trashFolder)) {}

    bool moveToTrash(const std::string& path, const std::string& backupFolder) override
    {
        trashRequests.push_back(path);
        if (!trashWorks)
            return false;
        if (freedesktopTrash)
            return FreedesktopTrash(*freedesktopTrash).moveIn(path, FreedesktopTrash::backupsNamedWith(backupFolder));
        std::filesystem::create_directories(m_trash);
        std::filesystem::path target = m_trash / std::filesystem::path(path).filename();
        for (int n = 2; std::filesystem::exists(target); ++n)
            target = m_trash / (std::filesystem::path(path).filename().string() + "." + std::to_string(n));
        std::error_code error;
        std::filesystem::rename(path, target, error);
        return !error;
    }

    bool rename(const std::string& from, const std::string& to) override
    {
        if (!renameWorks)
            return false;
        return PosixShell::rename(from, to);
    }

    // What sits in the trash, by file name.
    std::vector<std::string> trashed() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(m_trash)) {
            for (const auto& entry : std::filesystem::directory_iterator(m_trash))
                names.push_back(entry.path().filename().string());
        }
        return names;
    }

    bool trashWorks = true;
    // Where set, the desktop's trash in these places stands in for the test's.
    std::optional<FreedesktopTrash::Places> freedesktopTrash;
    bool renameWorks = true;
    std::vector<std::string> trashRequests;

private:
    std::filesystem::path m_trash;
};
