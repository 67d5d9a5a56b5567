#pragma once

#include <string>

#include "platform/odbc/brace_dialect.h"
#include "platform/odbc/driver_kind.h"
#include "platform/server_login.h"

// The program's connection string as the loaded driver must be given it.
namespace DriverConnectionString {

// The server value completed with the port the platform's driver needs
// (server_port.cpp): on Linux ",1433" when it names neither a port
// ("HOST,PORT") nor an instance ("HOST\NAME", found through the browser); on
// Windows the value as typed (server_port_windows.cpp).
std::string serverWithPort(const std::string& server);

// The driver every connection names.
inline constexpr const char* kDriverName = "SQL Server";

// The connection string for a driver of the dialect,
// "Driver={SQL Server};Server=...;Database=...;uid=...;pwd=...;", the server
// value completed by serverWithPort, every value reaching the driver and the
// driver manager exactly: for a driver that reads the standard form, that
// form itself; where the dialect is Unknown, only in a form that both
// dialects read alike. Throws DatabaseError (kValueNotCarried) for a value
// that cannot be carried, before anything is sent anywhere.
std::string forDriver(const ServerLogin& login, BraceDialect dialect);

// The same for the driver of that kind; FreeTDS is also told the protocol
// version (TDS 7.4, the one its own guess tries first with SQL Server).
std::string forDriver(const ServerLogin& login, const DriverKind& driver);

} // namespace DriverConnectionString
