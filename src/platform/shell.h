#pragma once

#include <string>

// The file-system services the backup runs rely on.
class Shell {
public:
    virtual ~Shell() = default;

    // Any entry at that exact path that is not a directory (hidden files included).
    virtual bool fileExists(const std::string& path) const = 0;
    // Anything at that exact path: a file, a folder, a link.
    virtual bool exists(const std::string& path) const = 0;
    // Whether the folder directly holds at least one entry that is not a
    // directory; a missing folder holds none.
    virtual bool folderHoldsFile(const std::string& folder) const = 0;
    // Creates every missing folder along the path from its root. The last
    // component counts as a folder only when the path ends with the separator.
    // Failures are not reported: the server notices a missing folder.
    virtual void makeSureDirectoryPathExists(const std::string& path) = 0;
    // Moves a file or a whole folder into the desktop's trash. False when no
    // trash could take it; the item is then where it was. The program's old
    // backups (NAME.bak and the dated folders, named with backupFolder as
    // prefix) are kept within a bound there, oldest gone first, and one too
    // large for it is refused.
    virtual bool moveToTrash(const std::string& path, const std::string& backupFolder) = 0;
    // Whether moveToTrash keeps whatever it takes (or refuses it). The
    // freedesktop trash does; Windows' recycle bin deletes outright on a
    // volume that has none (a network share, a removable drive), which
    // cannot be told beforehand. Where it may not keep an item, an old backup
    // waits aside until its replacement is written and goes there only then.
    virtual bool trashKeepsWhatItTakes() const = 0;
    // Renames within one file system. False when it failed.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Removes a file, or a folder with everything in it. False when it failed.
    virtual bool removeAll(const std::string& path) = 0;
};
