#include "platform/odbc/driver_library.h"

#include <odbcinst.h>

#include <array>

namespace {

std::string profileString(const std::string& section, const char* key)
{
    std::array<char, 4096> buffer{};
    ::SQLGetPrivateProfileString(section.c_str(), key, "", buffer.data(), static_cast<int>(buffer.size()),
                                 "ODBCINST.INI");
    return buffer.data();
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
