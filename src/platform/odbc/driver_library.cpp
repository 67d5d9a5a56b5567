// How unixODBC on Linux finds a driver's library. A build for another
// platform brings its own version of this file.

#include "platform/odbc/driver_library.h"

#include <dlfcn.h>
#include <link.h>
#include <odbcinst.h>
#include <sql.h>

#include <array>
#include <cstdlib>
#include <sstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string profileString(const std::string& section, const char* key)
{
    std::array<char, 4096> buffer{};
    ::SQLGetPrivateProfileString(section.c_str(), key, "", buffer.data(), static_cast<int>(buffer.size()),
                                 "ODBCINST.INI");
    return buffer.data();
}

fs::path existingFile(const fs::path& candidate)
{
    std::error_code error;
    if (!fs::is_regular_file(candidate, error))
        return {};
    const fs::path real = fs::canonical(candidate, error);
    return error ? fs::path() : real;
}

// unixODBC points its loader (libltdl) at the folder it was built to take
// drivers from, "odbc" beside its own library on Debian and in its default
// build.
fs::path driverManagerModuleFolder()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&::SQLAllocHandle), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code error;
    const fs::path manager = fs::canonical(info.dli_fname, error);
    return error ? fs::path() : manager.parent_path() / "odbc";
}

void addSearchPath(std::vector<fs::path>& folders, const char* variable)
{
    const char* value = std::getenv(variable);
    if (value == nullptr)
        return;
    std::istringstream list(value);
    std::string folder;
    while (std::getline(list, folder, ':')) {
        if (!folder.empty())
            folders.emplace_back(folder);
    }
}

// What the dynamic loader itself finds for the name (its cache and default
// folders), as a loaded file's real path.
fs::path loaderFinds(const std::string& name)
{
    void* handle = ::dlopen(name.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr)
        return {};
    fs::path found;
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr)
        found = existingFile(map->l_name);
    ::dlclose(handle);
    return found;
}

} // namespace

std::string driverLibraryPath(const std::string& driverName)
{
    // unixODBC reads Driver64 where long is 64 bits wide, as it is here.
    if constexpr (sizeof(long) == 8) {
        std::string library = profileString(driverName, "Driver64");
        if (!library.empty())
            return library;
    }
    return profileString(driverName, "Driver");
}

fs::path findDriverLibrary(const std::string& library)
{
    if (library.empty())
        return {};
    // A path, absolute or relative to the working folder, is opened as it stands.
    if (library.find('/') != std::string::npos)
        return existingFile(library);
    // A bare name: libltdl's order, its search path (the driver folder) first.
    std::vector<fs::path> folders;
    if (const fs::path modules = driverManagerModuleFolder(); !modules.empty())
        folders.push_back(modules);
    addSearchPath(folders, "LTDL_LIBRARY_PATH");
    addSearchPath(folders, "LD_LIBRARY_PATH");
    for (const fs::path& folder : folders) {
        if (const fs::path found = existingFile(folder / library); !found.empty())
            return found;
    }
    return loaderFinds(library);
}

fs::path driverLibraryFile(const std::string& driverName)
{
    const std::string registered = driverLibraryPath(driverName);
    return findDriverLibrary(registered.empty() ? driverName : registered);
}
