// The port the driver connects to when the operator names none. A build for
// another platform brings its own version of this file.

#include "platform/odbc/driver_connection_string.h"

namespace DriverConnectionString {

namespace {

// FreeTDS on Linux has no default of its own that reaches SQL Server.
constexpr const char* kDefaultPort = "1433";

} // namespace

std::string serverWithPort(const std::string& server)
{
    if (server.empty() || server.find_first_of(",\\") != std::string::npos)
        return server;
    return server + "," + kDefaultPort;
}

} // namespace DriverConnectionString
