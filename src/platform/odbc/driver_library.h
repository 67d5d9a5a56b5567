#pragma once

#include <string>

// The library the driver manager loads for a driver name, looked up in
// odbcinst.ini the way unixODBC does (Driver64 first on 64-bit builds);
// empty when the name is not registered.
std::string driverLibraryPath(const std::string& driverName);
