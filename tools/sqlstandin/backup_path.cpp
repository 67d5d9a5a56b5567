#include "backup_path.h"

#include "text.h"

#include <cctype>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace sqlstandin {
namespace {

namespace fs = std::filesystem;

// Windows' errors for a drive that does not exist and for a share that
// cannot be reached.
constexpr int kPathNotFound = 3;
constexpr int kNetworkPathNotFound = 53;
constexpr int kBadSyntax = 123;

bool isSeparator(char c, bool windows) { return c == '/' || (windows && c == '\\'); }

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// "\\host\share\..."; where paths are Windows paths also "//host/share/...".
bool isUncPath(std::string_view path, bool windows) {
    if (path.size() < 2) return false;
    if (path[0] == '\\' && path[1] == '\\') return true;
    return windows && isSeparator(path[0], true) && isSeparator(path[1], true);
}

// The entry of `dir` called `name` without regard to letter case: the exact
// spelling first, else the first match in name order; a name that is not
// there keeps its own spelling.
fs::path matchingEntry(const fs::path& dir, const std::string& name) {
    const fs::path exact = dir / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    const std::string key = text::caseFolded(name);
    std::optional<std::string> found;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (text::caseFolded(candidate) == key && (!found || candidate < *found)) found = std::move(candidate);
    }
    return found ? dir / *found : exact;
}

// A Windows path below `root`: "." and ".." are taken apart as Windows
// does, so ".." stops at the root.
fs::path belowRoot(const fs::path& root, std::string_view rest) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end], true)) ++end;
        const std::string part(rest.substr(start, end - start));
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    fs::path at = root;
    for (const std::string& part : parts) at = matchingEntry(at, part);
    return at;
}

}  // namespace

BackupTarget resolveBackupPath(const std::string& given, const Options& options) {
    const bool windows = !options.drives.empty();
    BackupTarget target;
    target.shown = given;
    if (isUncPath(given, windows)) {
        target.osError = kNetworkPathNotFound;
        return target;
    }
    const bool drive = hasDriveLetter(given);
    if (drive || (windows && !given.empty() && isSeparator(given[0], true))) {
        // A path rooted without a drive letter is on the server's own drive, C:.
        const char letter = drive ? static_cast<char>(std::toupper(static_cast<unsigned char>(given[0]))) : 'C';
        const std::string_view rest = std::string_view(given).substr(drive ? 2 : 0);
        const auto mapped = options.drives.find(letter);
        if (mapped == options.drives.end()) {
            target.osError = kPathNotFound;
            return target;
        }
        if (rest.find(':') != std::string_view::npos) {
            target.osError = kBadSyntax;
            return target;
        }
        target.file = belowRoot(mapped->second, rest);
        target.device = text::caseFolded(target.file.string());
        return target;
    }
    target.file = windows ? belowRoot(options.backupDir, given) : options.backupDir / given;
    target.shown = target.file.string();
    target.device = windows ? text::caseFolded(target.shown) : target.shown;
    return target;
}

}  // namespace sqlstandin
