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
#include <random>
#include <set>
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

std::string formatted(const std::tm& time, const char* format)
{
    char text[32];
    std::strftime(text, sizeof text, format, &time);
    return text;
}

std::tm localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// Eight hex digits that another program, or another of our own processes,
// is unlikely to pick too.
std::string randomHex()
{
    static std::mt19937 random{std::random_device{}()};
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(random()));
    return text;
}

// Renames unless something is at the target already: 0, or the errno
// (EEXIST for a taken target).
int renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that cannot refuse by itself: a look first narrows the
    // window another program has to slip in.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A folder as its own entry shows it: making, removing or renaming
// anything in it changes its times.
struct FolderStamp {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    off_t size = 0;

    bool operator==(const FolderStamp& other) const
    {
        const auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return known && other.known && device == other.device && inode == other.inode && same(modified, other.modified)
            && same(changed, other.changed) && size == other.size;
    }
};

FolderStamp stampOf(const std::string& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size};
}

// One item in a trash, as its info file describes it.
struct TrashedItem {
    std::string name; // in files/, and name + ".trashinfo" in info/
    std::string originalPath;
    std::string deletionDate;
    // When the info file was written, for items of the same second.
    std::int64_t writtenNs = 0;
    std::uint64_t bytes = 0;
    bool folder = false;
};

// Oldest first: by deletion date, then by when the info file was written.
struct Older {
    bool operator()(const TrashedItem& a, const TrashedItem& b) const
    {
        if (a.deletionDate != b.deletionDate)
            return a.deletionDate < b.deletionDate;
        return a.writtenNs != b.writtenNs ? a.writtenNs < b.writtenNs : a.name < b.name;
    }
};

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

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
    Owned owned;
    owned.key = prefix;
    owned.test = [prefix](const std::string& original, bool folder) {
        if (original.size() <= prefix.size() || original.compare(0, prefix.size(), prefix) != 0)
            return false;
        const std::string rest = original.substr(prefix.size());
        if (rest.find('/') != std::string::npos)
            return false;
        if (folder)
            return isHourFolderName(rest);
        return rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".bak") == 0;
    };
    return owned;
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

// The caller's items in one trash, oldest first, and the bytes they take,
// as last seen: good while files/ and info/ show no change since. Times of
// a folder change at whatever anyone does in it; a change by another
// program during one of our own moves is taken for ours, and is caught
// only when the item it touched is about to be removed.
struct FreedesktopTrash::Ledger {
    std::string trash;
    std::string ownerKey;
    FolderStamp files;
    FolderStamp info;
    std::set<TrashedItem, Older> ours;
    std::uint64_t bytes = 0;
    // Read during the current move.
    bool fresh = false;

    void stamp()
    {
        files = stampOf(trash + "/files");
        info = stampOf(trash + "/info");
    }
    bool current() const { return files == stampOf(trash + "/files") && info == stampOf(trash + "/info"); }

    // Reads every info file of the trash. The times are taken first: a
    // change while reading shows at the next move.
    void read(const std::string& trashFolder, const std::string& topDir, const Owned& owned)
    {
        trash = trashFolder;
        ownerKey = owned.key;
        ours.clear();
        bytes = 0;
        fresh = true;
        stamp();
        std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir((trash + "/info").c_str()), ::closedir);
        if (!folder || !owned.test)
            return;
        const std::string suffix = ".trashinfo";
        while (const dirent* entry = ::readdir(folder.get())) {
            const std::string file = entry->d_name;
            if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            TrashedItem item;
            item.name = file.substr(0, file.size() - suffix.size());
            const std::string trashed = trash + "/files/" + item.name;
            struct stat st {};
            if (::lstat(trashed.c_str(), &st) != 0 || !readInfo(trash + "/info/" + file, topDir, item))
                continue;
            item.folder = S_ISDIR(st.st_mode);
            if (!owned.test(item.originalPath, item.folder))
                continue;
            item.bytes = FreedesktopTrash::diskUsage(trashed);
            struct stat infoStat {};
            if (::stat((trash + "/info/" + file).c_str(), &infoStat) == 0)
                item.writtenNs = nanoseconds(infoStat.st_mtim);
            bytes += item.bytes;
            ours.insert(std::move(item));
        }
    }

    // Whether the item and its info file are still as they were read or made.
    bool stillThere(const std::string& topDir, const TrashedItem& item) const
    {
        struct stat st {};
        TrashedItem now;
        return ::lstat((trash + "/files/" + item.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode) == item.folder
            && readInfo(trash + "/info/" + item.name + ".trashinfo", topDir, now)
            && now.originalPath == item.originalPath && now.deletionDate == item.deletionDate;
    }
};

FreedesktopTrash::FreedesktopTrash(Places places) : m_places(std::move(places)) {}
FreedesktopTrash::~FreedesktopTrash() = default;
FreedesktopTrash::FreedesktopTrash(FreedesktopTrash&&) noexcept = default;
FreedesktopTrash& FreedesktopTrash::operator=(FreedesktopTrash&&) noexcept = default;

FreedesktopTrash::Ledger& FreedesktopTrash::ledgerFor(const std::string& trash, const std::string& topDir,
                                                      const Owned& owned)
{
    if (!m_ledger)
        m_ledger = std::make_unique<Ledger>();
    if (m_ledger->trash != trash || m_ledger->ownerKey != owned.key || !m_ledger->current())
        m_ledger->read(trash, topDir, owned);
    else
        m_ledger->fresh = false;
    return *m_ledger;
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

    Ledger& ledger = ledgerFor(trash, topDir, owned);
    // Whatever this move changes in the trash is known: the next one starts
    // from the times it leaves.
    struct Restamp {
        Ledger& ledger;
        ~Restamp() { ledger.stamp(); }
    } restamp{ledger};

    auto oldest = ledger.ours.begin();
    while (ledger.bytes + itemBytes > cap && oldest != ledger.ours.end()) {
        if (!ledger.stillThere(topDir, *oldest)) {
            // Changed without a trace in the folders' times: read it all again.
            if (!ledger.fresh) {
                ledger.read(trash, topDir, owned);
                oldest = ledger.ours.begin();
                continue;
            }
            ledger.bytes -= oldest->bytes;
            oldest = ledger.ours.erase(oldest);
            continue;
        }
        // The item first, its info file last: an info file never outlives
        // what it describes unnoticed.
        std::error_code error;
        std::filesystem::remove_all(trash + "/files/" + oldest->name, error);
        if (error) {
            ++oldest;
            continue;
        }
        ::unlink((trash + "/info/" + oldest->name + ".trashinfo").c_str());
        ledger.bytes -= oldest->bytes;
        oldest = ledger.ours.erase(oldest);
    }
    if (ledger.bytes + itemBytes > cap)
        return false;

    std::string recorded = path;
    if (!topDir.empty() && topDir != "/")
        recorded = path.substr(topDir.size() + 1);
    const std::tm now = localTimeNow();
    const std::string deletionDate = formatted(now, "%Y-%m-%dT%H:%M:%S");
    const std::string info = "[Trash Info]\nPath=" + percentEncoded(recorded) + "\nDeletionDate=" + deletionDate + "\n";
    // The info file first, created exclusively, then the item, never over
    // anything: two programs trashing items of the same name at once get
    // two names. A taken name costs one more try, not a search.
    const std::string baseName = PosixPath::nameOf(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name =
            attempt == 0 ? baseName : baseName + "-" + formatted(now, "%Y%m%dT%H%M%S") + "-" + randomHex();
        const std::string infoFile = trash + "/info/" + name + ".trashinfo";
        const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
        struct stat infoStat {};
        ::fstat(fd, &infoStat);
        ::close(fd);
        const int renamed = written ? renameNoReplace(path, trash + "/files/" + name) : EIO;
        if (renamed != 0) {
            ::unlink(infoFile.c_str());
            if (renamed == EEXIST)
                continue;
            return false;
        }
        const bool folder = S_ISDIR(itemStat.st_mode);
        if (owned.test && owned.test(path, folder)) {
            ledger.bytes += itemBytes;
            ledger.ours.insert({name, path, deletionDate, nanoseconds(infoStat.st_mtim), itemBytes, folder});
        }
        return true;
    }
    return false;
}
