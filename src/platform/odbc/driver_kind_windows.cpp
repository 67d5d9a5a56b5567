// What the driver reads cannot be told on Windows: the "SQL Server" driver's
// reading of braces cannot be checked here, and under Wine the driver behind
// that name is FreeTDS. Every value is written in the form that both
// readings take alike (one that needs braces to be carried is refused before
// anything is sent).
//
// The driver is taken for FreeTDS in one thing: the string names the
// protocol version (TDS_Version=7.4). Left to guess, FreeTDS 1.3 tries a
// server that leaves the pre-login unanswered again with the Sybase
// protocol, and ends that silent connection by sending a logout and waiting
// for its answer, whose time-out ends the connection the same way again, for
// ever; on Windows nothing outside the driver bounds it
// (driver_link_watch_windows.cpp). The "SQL Server" driver has no such
// keyword, and an ODBC driver passes over one it does not know (at most
// with the warning 01S00, still connected).

#include "platform/odbc/driver_kind.h"

DriverKind driverKindOfLibrary(const std::filesystem::path&)
{
    return {BraceDialect::Unknown, true};
}
