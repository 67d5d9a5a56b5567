#include "platform/odbc/driver_kind.h"

#include <sys/stat.h>

#include <array>
#include <cctype>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

namespace {

// The first FreeTDS that reads braced values the standard way.
constexpr std::array<int, 3> kFirstStandardFreeTds{1, 3, 21};

} // namespace

DriverKind driverKindOf(std::string_view bytes)
{
    constexpr std::string_view marker = "freetds v";
    const std::size_t at = bytes.find(marker);
    if (at == std::string_view::npos)
        return {BraceDialect::Standard, false};
    std::array<int, 3> version{0, 0, 0};
    std::size_t i = at + marker.size();
    for (std::size_t part = 0; part < version.size(); ++part) {
        if (i >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[i])))
            break;
        for (; i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])) && version[part] < 100000; ++i)
            version[part] = version[part] * 10 + (bytes[i] - '0');
        if (i >= bytes.size() || bytes[i] != '.')
            break;
        ++i;
    }
    return {version < kFirstStandardFreeTds ? BraceDialect::FreeTdsVerbatim : BraceDialect::Standard, true};
}

DriverKind driverKindOfLibrary(const std::filesystem::path& library)
{
    // Every connection asks, and reading the library costs more than a login
    // on loopback: the answer is kept for as long as the file is the same
    // (an upgrade of the driver replaces it while the program runs).
    struct Seen {
        std::filesystem::path path;
        dev_t device;
        ino_t inode;
        off_t size;
        timespec modified;
        DriverKind kind;
    };
    static std::mutex guard;
    static std::optional<Seen> seen;

    struct stat info {};
    if (library.empty() || ::stat(library.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const std::lock_guard<std::mutex> lock(guard);
    if (seen && seen->path == library && seen->device == info.st_dev && seen->inode == info.st_ino
        && seen->size == info.st_size && seen->modified.tv_sec == info.st_mtim.tv_sec
        && seen->modified.tv_nsec == info.st_mtim.tv_nsec)
        return seen->kind;

    std::ifstream file(library, std::ios::binary);
    if (!file)
        return {};
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    const DriverKind kind = driverKindOf(bytes);
    seen = Seen{library, info.st_dev, info.st_ino, info.st_size, info.st_mtim, kind};
    return kind;
}
