#pragma once

#include <cstddef>
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
// The due slot is named by its field's position.
std::optional<std::size_t> dueSlot(const std::vector<std::string>& fields, const LocalDateTime& now,
                                   std::optional<std::int64_t> previousTick);
inline bool isDue(const std::vector<std::string>& fields, const LocalDateTime& now,
                  std::optional<std::int64_t> previousTick)
{
    return dueSlot(fields, now, previousTick).has_value();
}

// A valid slot's latest moment before this tick's second, within the last
// day: the field's position and the moment.
struct PassedSlot {
    std::size_t field = 0;
    LocalDateTime moment;
};
std::optional<PassedSlot> lastPassed(const std::vector<std::string>& fields, const LocalDateTime& now);

// The first moment after this tick's second at which a valid slot comes;
// nothing when no field is a valid time.
std::optional<LocalDateTime> next(const std::vector<std::string>& fields, const LocalDateTime& now);

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
    // Which slot is due, by its field's position. Asks; changes nothing.
    std::optional<std::size_t> dueSlot(const std::vector<std::string>& fields, const LocalDateTime& now) const
    {
        return SlotSchedule::dueSlot(fields, now, m_previousTick);
    }
    // The tick was checked: its second is never due again, and a slot that
    // passes before the next tick is caught up then.
    void checked(const LocalDateTime& now) { m_previousTick = now.serialSecond(); }
    // A new run of the schedule: slots before it are not caught up.
    void restart() { m_previousTick.reset(); }

private:
    std::optional<std::int64_t> m_previousTick;
};
