// Windows registers its drivers in the registry, not in an odbcinst.ini, and
// the connection string is written for a driver whose reading of braces is
// not told from its library (brace_dialect_windows.cpp): no library is
// looked up.

#include "platform/odbc/driver_library.h"

std::string driverLibraryPath(const std::string&)
{
    return {};
}
