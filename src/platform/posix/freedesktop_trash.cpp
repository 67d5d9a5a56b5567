#include "platform/posix/freedesktop_trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/posix/posix_path.h"

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates a directory readable by its owner only; an existing one is fine.
bool makeDirectory(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0 || isDirectory(path);
}

// The mount point of the file system that holds the path: the highest
// folder above it on the same device.
std::string mountPointOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    std::string at = path;
    while (at != "/") {
        const std::string parent = PosixPath::folderOf(at);
        struct stat up {};
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev)
            break;
        at = parent;
    }
    return at;
}

bool sameFileSystem(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// URL escaping as the trash stores paths: bytes other than unreserved
// characters and "/" become %XX.
std::string percentEncoded(const std::string& path)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string percentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string hex = text.substr(i + 1, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (hex.size() == 2 && end == hex.c_str() + 2) {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// One item in a trash, as its info file describes it.
struct TrashedItem {
    std::string name; // in files/, and name + ".trashinfo" in info/
    std::string originalPath;
    std::string deletionDate;
    // When the info file was written, for items of the same second.
    std::int64_t writtenNs = 0;
    std::uint64_t bytes = 0;
};

// Reads "Path=" and "DeletionDate=" of a .trashinfo file; a relative path
// is relative to the top directory of the trash's file system.
bool readInfo(const std::string& file, const std::string& topDir, TrashedItem& item)
{
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(file.c_str(), "r"), std::fclose);
    if (!in)
        return false;
    char line[8192];
    bool inGroup = false;
    while (std::fgets(line, sizeof line, in.get())) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (!text.empty() && text.front() == '[') {
            inGroup = text == "[Trash Info]";
            continue;
        }
        if (!inGroup)
            continue;
        if (text.rfind("Path=", 0) == 0) {
            item.originalPath = percentDecoded(text.substr(5));
            if (!item.originalPath.empty() && item.originalPath.front() != '/')
                item.originalPath = (topDir == "/" ? "" : topDir) + "/" + item.originalPath;
        } else if (text.rfind("DeletionDate=", 0) == 0) {
            item.deletionDate = text.substr(13);
        }
    }
    return !item.originalPath.empty();
}

// Whether a name is a dated folder's: yyyy年MM月dd日hh时.
bool isHourFolderName(const std::string& name)
{
    const auto digits = [&name](std::size_t at, std::size_t count) {
        if (at + count > name.size())
            return false;
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(at),
                           name.begin() + static_cast<std::ptrdiff_t>(at + count),
                           [](unsigned char c) { return c >= '0' && c <= '9'; });
    };
    const std::string year = "年", month = "月", day = "日", hour = "时";
    std::size_t at = 0;
    for (const auto& [count, unit] :
         {std::pair{4u, &year}, std::pair{2u, &month}, std::pair{2u, &day}, std::pair{2u, &hour}}) {
        if (!digits(at, count) || name.compare(at + count, unit->size(), *unit) != 0)
            return false;
        at += count + unit->size();
    }
    return at == name.size();
}

} // namespace

FreedesktopTrash::Places FreedesktopTrash::fromEnvironment()
{
    Places places;
    const char* home = std::getenv("HOME");
    places.home = home && *home ? home : "/";
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME counts as unset, as the XDG base directories define it.
    places.dataHome = dataHome && *dataHome == '/' ? dataHome : places.home + "/.local/share";
    places.uid = static_cast<std::uint32_t>(::getuid());
    return places;
}

FreedesktopTrash::Owned FreedesktopTrash::backupsNamedWith(const std::string& backupFolder)
{
    // The folder is a plain prefix of every backup's path; a relative one
    // is relative to the current folder, as the paths made from it are.
    std::string prefix = backupFolder;
    if (prefix.empty() || prefix.front() != '/') {
        std::error_code error;
        const std::string current = std::filesystem::current_path(error).string();
        prefix = current + (current.size() > 1 ? "/" : "") + prefix;
    }
    return [prefix](const std::string& original, bool folder) {
        if (original.size() <= prefix.size() || original.compare(0, prefix.size(), prefix) != 0)
            return false;
        const std::string rest = original.substr(prefix.size());
        if (rest.find('/') != std::string::npos)
            return false;
        if (folder)
            return isHourFolderName(rest);
        return rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".bak") == 0;
    };
}

std::uint64_t FreedesktopTrash::diskUsage(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    std::uint64_t bytes = static_cast<std::uint64_t>(st.st_blocks) * 512;
    if (!S_ISDIR(st.st_mode))
        return bytes;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir)
        return bytes;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            bytes += diskUsage(path + "/" + name);
    }
    return bytes;
}

std::string FreedesktopTrash::trashFor(const std::string& absolutePath, std::string* topDir) const
{
    std::string trash;
    topDir->clear();
    if (!sameFileSystem(absolutePath, m_places.home)) {
        const std::string top = mountPointOf(absolutePath);
        const std::string base = top == "/" ? "" : top;
        const std::string uid = std::to_string(m_places.uid);
        // An administrator's $topdir/.Trash counts only as a sticky folder
        // that is no symbolic link.
        struct stat st {};
        if (::lstat((base + "/.Trash").c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0
            && makeDirectory(base + "/.Trash/" + uid))
            trash = base + "/.Trash/" + uid;
        else if (makeDirectory(base + "/.Trash-" + uid))
            trash = base + "/.Trash-" + uid;
        if (!trash.empty())
            *topDir = top;
    }
    if (trash.empty()) {
        // The data home may not exist yet on a fresh account.
        std::error_code error;
        std::filesystem::create_directories(m_places.dataHome, error);
        if (makeDirectory(m_places.dataHome + "/Trash"))
            trash = m_places.dataHome + "/Trash";
    }
    if (trash.empty() || !makeDirectory(trash + "/files") || !makeDirectory(trash + "/info"))
        return {};
    return trash;
}

bool FreedesktopTrash::moveIn(const std::string& itemPath, const Owned& owned)
{
    std::string path = itemPath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty())
        return false;
    if (path.front() != '/') {
        std::error_code error;
        path = std::filesystem::absolute(path, error).lexically_normal().string();
        if (error)
            return false;
    }
    struct stat itemStat {};
    if (::lstat(path.c_str(), &itemStat) != 0)
        return false;

    std::string topDir;
    const std::string trash = trashFor(path, &topDir);
    // A trash on another file system could take the item only by copying
    // it: none takes it, and none of the trash's items go for it.
    if (trash.empty() || !sameFileSystem(trash, PosixPath::folderOf(path)))
        return false;
    struct statvfs fileSystem {};
    if (::statvfs(trash.c_str(), &fileSystem) != 0)
        return false;
    const std::uint64_t cap = static_cast<std::uint64_t>(fileSystem.f_blocks) * fileSystem.f_frsize / 10;
    const std::uint64_t itemBytes = diskUsage(path);
    // Too large for the trash: the caller handles it as where no trash is.
    if (itemBytes > cap)
        return false;

    // The caller's items already in this trash, oldest first.
    std::vector<TrashedItem> ours;
    std::uint64_t oursBytes = 0;
    if (std::unique_ptr<DIR, int (*)(DIR*)> info(::opendir((trash + "/info").c_str()), ::closedir); info) {
        const std::string suffix = ".trashinfo";
        while (const dirent* entry = ::readdir(info.get())) {
            const std::string file = entry->d_name;
            if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            TrashedItem item;
            item.name = file.substr(0, file.size() - suffix.size());
            const std::string trashed = trash + "/files/" + item.name;
            struct stat st {};
            if (::lstat(trashed.c_str(), &st) != 0 || !readInfo(trash + "/info/" + file, topDir, item))
                continue;
            if (!owned || !owned(item.originalPath, S_ISDIR(st.st_mode)))
                continue;
            item.bytes = diskUsage(trashed);
            struct stat infoStat {};
            if (::stat((trash + "/info/" + file).c_str(), &infoStat) == 0)
                item.writtenNs =
                    static_cast<std::int64_t>(infoStat.st_mtim.tv_sec) * 1000000000 + infoStat.st_mtim.tv_nsec;
            oursBytes += item.bytes;
            ours.push_back(std::move(item));
        }
    }
    std::sort(ours.begin(), ours.end(), [](const TrashedItem& a, const TrashedItem& b) {
        if (a.deletionDate != b.deletionDate)
            return a.deletionDate < b.deletionDate;
        return a.writtenNs != b.writtenNs ? a.writtenNs < b.writtenNs : a.name < b.name;
    });
    for (const TrashedItem& oldest : ours) {
        if (oursBytes + itemBytes <= cap)
            break;
        // The item first, its info file last: an info file never outlives
        // what it describes unnoticed.
        std::error_code error;
        std::filesystem::remove_all(trash + "/files/" + oldest.name, error);
        if (error)
            continue;
        ::unlink((trash + "/info/" + oldest.name + ".trashinfo").c_str());
        oursBytes -= oldest.bytes;
    }
    if (oursBytes + itemBytes > cap)
        return false;

    // The info file first, created exclusively: two programs trashing items
    // of the same name at once get two names.
    const std::string baseName = PosixPath::nameOf(path);
    std::string name = baseName;
    int fd = -1;
    for (int n = 1; n < 10000; ++n) {
        if (::access((trash + "/files/" + name).c_str(), F_OK) != 0) {
            fd =
                ::open((trash + "/info/" + name + ".trashinfo").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0 || errno != EEXIST)
                break;
        }
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%04d", n);
        name = baseName + suffix;
    }
    if (fd < 0)
        return false;
    std::string recorded = path;
    if (!topDir.empty() && topDir != "/")
        recorded = path.substr(topDir.size() + 1);
    const std::string info =
        "[Trash Info]\nPath=" + percentEncoded(recorded) + "\nDeletionDate=" + localTimeNow() + "\n";
    const bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
    ::close(fd);
    const std::string infoFile = trash + "/info/" + name + ".trashinfo";
    if (!written || ::rename(path.c_str(), (trash + "/files/" + name).c_str()) != 0) {
        ::unlink(infoFile.c_str());
        return false;
    }
    return true;
}
