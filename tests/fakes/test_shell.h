#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/utf8_path.h"
#include "platform_seams.h"

// The platform's real file system, with a trash of the test's own: items
// moved to the trash land in a folder the test can look into, or the trash
// can refuse.
class TestShell final : public PlatformShell {
public:
    explicit TestShell(std::filesystem::path trashFolder)
        : trashKeeps(PlatformShell::trashKeepsWhatItTakes())
        , m_trash(std::move(trashFolder))
    {
    }

    bool trashKeepsWhatItTakes() const override { return trashKeeps; }

    bool moveToTrash(const std::string& path, const std::string& backupFolder) override
    {
        trashRequests.push_back(path);
        if (!trashWorks)
            return false;
        if (trashDeletesOutright)
            return PlatformShell::removeAll(path);
        if (freedesktopTrash)
            return moveIntoPlatformTrash(*freedesktopTrash, path, backupFolder);
        std::filesystem::create_directories(m_trash);
        const std::filesystem::path item = u8path(path);
        std::filesystem::path target = m_trash / item.filename();
        for (int n = 2; std::filesystem::exists(target); ++n)
            target = m_trash / u8path(utf8Of(item.filename()) + "." + std::to_string(n));
        std::error_code error;
        std::filesystem::rename(item, target, error);
        return !error;
    }

    bool rename(const std::string& from, const std::string& to) override
    {
        if (!renameWorks || (refusesRename && refusesRename(from, to)))
            return false;
        return PlatformShell::rename(from, to);
    }

    // What sits in the trash, by file name.
    std::vector<std::string> trashed() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(m_trash)) {
            for (const auto& entry : std::filesystem::directory_iterator(m_trash))
                names.push_back(utf8Of(entry.path().filename()));
        }
        return names;
    }

    // A trash that keeps what it takes gets old backups before the new ones
    // are written; one that may delete outright (a recycle bin) only after.
    bool trashKeeps;
    bool trashWorks = true;
    // As a recycle bin does on a volume that has none.
    bool trashDeletesOutright = false;
    // Where set, the desktop's trash in these places stands in for the test's.
    std::optional<PlatformTrashPlaces> freedesktopTrash;
    bool renameWorks = true;
    // Where set, the renames it answers true for fail (a file held open).
    std::function<bool(const std::string& from, const std::string& to)> refusesRename;
    std::vector<std::string> trashRequests;

private:
    std::filesystem::path m_trash;
};
