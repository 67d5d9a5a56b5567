#pragma once

#include "platform/clock.h"

// The machine's local time, as the taskbar clock shows it.
class Win32Clock final : public Clock {
public:
    LocalDateTime now() const override;
};
