#pragma once

#include <chrono>

// How long the data access waits on a server that says nothing.
struct LinkTimeouts {
    // Connecting, from the TCP connect through the pre-login to the end of
    // the login, all together.
    std::chrono::seconds connect{15};
    // A connection on which nothing has come back for this long, not even
    // the answers to the operating system's keep-alive probes (which a
    // healthy server's system gives however long a backup takes), or on
    // which what was sent has waited this long for its acknowledgement, is
    // taken for dead.
    std::chrono::seconds silence{90};
};
