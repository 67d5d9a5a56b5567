#pragma once

#include <string>

#include "platform/odbc/brace_dialect.h"

// The program's connection string as the loaded driver must be given it.
namespace DriverConnectionString {

// The port FreeTDS connects to when the server value names none: on Linux it
// has no default of its own that reaches SQL Server.
inline constexpr const char* kDefaultPort = "1433";

// The server value with ",1433" added when it names neither a port
// ("HOST,PORT") nor an instance ("HOST\NAME", found through the browser).
std::string serverWithPort(const std::string& server);

// Re-writes the standard-form string for a driver of the dialect, the
// server value completed by serverWithPort, every value reaching the driver
// and the driver manager exactly. Throws DatabaseError (kFail) for a value
// that cannot be carried, before anything is sent anywhere.
std::string forDriver(const std::string& standardForm, BraceDialect dialect);

} // namespace DriverConnectionString
