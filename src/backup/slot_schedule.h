#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/local_date_time.h"

// Decides whether a tick is a backup slot's tick.
namespace SlotSchedule {

// The slot's second of the day, when the field is a valid time written
// exactly "hh:mm:ss"; nothing otherwise.
std::optional<int> secondOfDay(const std::string& field);

// A slot is due when the tick's "hh:mm:ss" equals a field exactly, or when
// a valid slot's second passed after the previous tick without being
// checked (a late tick, a long run, a sleeping machine): one run however
// many passed. With no previous tick, or a clock set back, only the exact
// match counts. A second that an earlier tick already checked is never due.
bool isDue(const std::vector<std::string>& fields, const LocalDateTime& now, std::optional<std::int64_t> previousTick);

} // namespace SlotSchedule
