// On Windows the driver's TCP connection cannot be reached from outside the
// driver (ending another component's connection takes rights the program
// does not have). The login is bounded by the driver's own time-out (the
// ODBC login time-out, which the "SQL Server" driver applies to the whole
// login, and FreeTDS to each wait in it, once the protocol version is named:
// driver_kind_windows.cpp); a link that goes silent afterwards is left to
// the driver.

#include "platform/odbc/driver_link_watch.h"

struct DriverLinkWatch::State {};

DriverLinkWatch::DriverLinkWatch(const LinkTimeouts&) {}

DriverLinkWatch::~DriverLinkWatch() = default;

void DriverLinkWatch::attemptReturned(bool) {}

bool DriverLinkWatch::expired() const
{
    return false;
}
