#pragma once

#include "packet_channel.h"
#include "token_writer.h"

#include <chrono>

namespace sqlstandin {

// Where a running request writes its reply, and how it notices the client
// cancelling (ATTENTION) or going away while it works.
class ResponseChannel {
public:
    virtual ~ResponseChannel() = default;

    virtual TokenWriter& tokens() = 0;
    // Sends what is written so far; the reply stays open.
    virtual bool flush() = 0;
    // Waits up to the given time; returns early on ATTENTION or hang-up.
    virtual Interruption pause(std::chrono::milliseconds wait) = 0;
};

}  // namespace sqlstandin
