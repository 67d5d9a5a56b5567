#pragma once

#include <memory>

#include "platform/odbc/link_timeouts.h"

// Watches the TCP connection a driver opens for one connection attempt. The
// ODBC interface offers no handle on it, so it is found from outside the
// driver: the connections of this process that were not there before the
// attempt. The implementation is the platform's (driver_link_watch_*.cpp).
class DriverLinkWatch final {
public:
    // Notes the connections that exist and starts the deadline: once it has
    // passed, a thread of the watch ends every new connection (the driver's
    // wait for it then fails at once) until the attempt returns.
    explicit DriverLinkWatch(const LinkTimeouts& timeouts);
    ~DriverLinkWatch();
    DriverLinkWatch(const DriverLinkWatch&) = delete;
    DriverLinkWatch& operator=(const DriverLinkWatch&) = delete;

    // The attempt has returned: the deadline stops; a connection that was
    // made is held to the silence limit for the rest of its life.
    void attemptReturned(bool connected);
    // Whether the deadline passed before the attempt returned.
    bool expired() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
