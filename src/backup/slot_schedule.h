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

// The slot check of a running schedule, with what it keeps from one tick to
// the next: the second of the last tick it checked.
class SlotCheck final {
public:
    // Whether a slot is due at this tick. Asks; changes nothing.
    bool isDue(const std::vector<std::string>& fields, const LocalDateTime& now) const
    {
        return SlotSchedule::isDue(fields, now, m_previousTick);
    }
    // The tick was checked: its second is never due again, and a slot that
    // passes before the next tick is caught up then.
    void checked(const LocalDateTime& now) { m_previousTick = now.serialSecond(); }
    // A new run of the schedule: slots before it are not caught up.
    void restart() { m_previousTick.reset(); }

private:
    std::optional<std::int64_t> m_previousTick;
};
