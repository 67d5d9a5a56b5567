#pragma once

#include <cstdint>
#include <optional>

// Where the timer's ticks fall: each just after a whole second of the wall
// clock, so that a tick reads the second it is meant for. Both views drive
// the model's timer by it, and the background service wakes by it for
// its slots.
namespace TickSchedule {

// How far past the whole second a tick is aimed.
inline constexpr std::int64_t kOffsetMs = 5;

// Milliseconds from now (wall clock, ms since the epoch) to the next tick:
// kOffsetMs past a whole interval, never in the second of the previous
// tick again.
std::int64_t delayToNextTick(std::int64_t nowMs, std::optional<std::int64_t> previousTickSecond,
                             std::int64_t intervalMs);

} // namespace TickSchedule
