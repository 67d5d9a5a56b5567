// What the driver reads cannot be told on Windows: the "SQL Server" driver's
// reading of braces cannot be checked here, and under Wine the driver behind
// that name is FreeTDS. Every value is written in the form that both
// readings take alike (one that needs braces to be carried is refused before
// anything is sent), and no FreeTDS-only keyword is added.

#include "platform/odbc/driver_kind.h"

DriverKind driverKindOfLibrary(const std::filesystem::path&)
{
    return {BraceDialect::Unknown, false};
}
