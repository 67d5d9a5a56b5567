#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The freedesktop.org trash: $XDG_DATA_HOME/Trash for items on the home
// file system, $topdir/.Trash/$uid or $topdir/.Trash-$uid on others, each
// with files/ and info/ (one NAME.trashinfo with the original path and the
// deletion date per item). The trash is chosen by the rules Qt's
// QFile::moveToTrash follows, so that both put an item in the same place.
//
// The trash has no size limit of its own. A caller that moves large items
// in again and again names which items are its own; they are kept, with
// the new one, within a tenth of the file system that holds the trash: the
// oldest of them go first. Nothing else in the trash is ever touched.
//
// An object remembers the caller's items of the trash it last moved into,
// so that a move costs the same however full the trash is: it reads the
// trash again only when the trash changed since its own last move (another
// program, an emptied trash) or when an item it is about to remove turns
// out not to be what it remembers.
class FreedesktopTrash final {
public:
    struct Places {
        std::string home;     // $HOME
        std::string dataHome; // $XDG_DATA_HOME, or $HOME/.local/share
        std::uint32_t uid = 0;
    };
    static Places fromEnvironment();

    // Whether an item in the trash, by the absolute path it had and whether
    // it is a folder, is the caller's own. The same key stands for the same
    // rule: what the object remembers of one rule's items is not used for
    // another's.
    struct Owned {
        std::string key;
        std::function<bool(const std::string& originalPath, bool folder)> test;
    };

    // The program's backups: NAME.bak files named with the backup folder as
    // prefix and the dated folders (yyyy年MM月dd日hh时) named the same way.
    static Owned backupsNamedWith(const std::string& backupFolder);

    explicit FreedesktopTrash(Places places);
    ~FreedesktopTrash();
    FreedesktopTrash(FreedesktopTrash&&) noexcept;
    FreedesktopTrash& operator=(FreedesktopTrash&&) noexcept;

    // The places for the next moves; what the object remembers of a trash
    // stays good for that same trash.
    void setPlaces(Places places) { m_places = std::move(places); }

    // Moves a file or folder into the trash that takes it, under its own
    // name or, where that is taken, a name made unique with the time and a
    // random part; never over anything there. False, with the item where it
    // was, when no trash can take it or when the item alone is larger than a
    // tenth of the trash's file system.
    bool moveIn(const std::string& path, const Owned& owned);

    // The trash directory for an item at that absolute path; empty when
    // there is none. Creates it (and its files/ and info/) when missing.
    std::string trashFor(const std::string& absolutePath, std::string* topDir) const;

    // Bytes an item takes on its file system, a folder with everything in it.
    static std::uint64_t diskUsage(const std::string& path);

private:
    struct Ledger;
    Ledger& ledgerFor(const std::string& trash, const std::string& topDir, const Owned& owned);

    Places m_places;
    std::unique_ptr<Ledger> m_ledger;
};
