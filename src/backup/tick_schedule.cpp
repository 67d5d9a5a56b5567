#include "backup/tick_schedule.h"

namespace TickSchedule {

std::int64_t delayToNextTick(std::int64_t nowMs, std::optional<std::int64_t> previousTickSecond,
                             std::int64_t intervalMs)
{
    const std::int64_t period = intervalMs > 0 ? intervalMs : 1000;
    std::int64_t target = nowMs - nowMs % period + kOffsetMs;
    if (target <= nowMs)
        target += period;
    // A timer that fired a little early must not tick the same second twice.
    if (previousTickSecond && target / 1000 <= *previousTickSecond)
        target = (*previousTickSecond + 1) * 1000 + kOffsetMs;
    return target - nowMs;
}

} // namespace TickSchedule
