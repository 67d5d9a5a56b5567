#pragma once

#include <filesystem>
#include <string>

// The library the driver manager loads for a driver name, looked up in
// odbcinst.ini the way unixODBC does (Driver64 first on 64-bit builds), as
// the entry spells it; empty when the name is not registered.
std::string driverLibraryPath(const std::string& driverName);

// The file the driver manager loads for a driver name: the registered
// library (or, for a name that is not registered, the name itself, which
// unixODBC then takes for the library), a bare file name ("libtdsodbc.so",
// as Debian's own entry has it) searched for where unixODBC's loader
// searches. Empty when it cannot be told.
std::filesystem::path driverLibraryFile(const std::string& driverName);

// The same search for a library name or path as an entry holds it.
std::filesystem::path findDriverLibrary(const std::string& library);
