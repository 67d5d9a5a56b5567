#pragma once

#include "platform/local_date_time.h"

// The local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};
