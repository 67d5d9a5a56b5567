// The server value as the operator typed it: Windows' "SQL Server" driver
// finds the port itself (1433, a named instance through the SQL Server
// Browser, an alias through the client's own configuration) and takes
// "HOST,PORT" as it stands. Completing it would turn an alias or
// "HOST\INSTANCE" into something else.

#include "platform/odbc/driver_connection_string.h"

namespace DriverConnectionString {

std::string serverWithPort(const std::string& server)
{
    return server;
}

} // namespace DriverConnectionString
