// Windows registers its drivers in the registry, not in an odbcinst.ini, and
// the connection string is written for a driver whose kind is not told from
// its library (driver_kind_windows.cpp): no library is looked up.

#include "platform/odbc/driver_library.h"

std::string driverLibraryPath(const std::string&)
{
    return {};
}

std::filesystem::path driverLibraryFile(const std::string&)
{
    return {};
}

std::filesystem::path findDriverLibrary(const std::string&)
{
    return {};
}
