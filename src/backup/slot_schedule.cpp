#include "backup/slot_schedule.h"

#include <cctype>

namespace {

// The serial second of the tick's day's first second.
std::int64_t midnightOf(const LocalDateTime& now)
{
    return now.serialSecond() - (now.hour * 3600 + now.minute * 60 + now.second);
}

} // namespace

namespace SlotSchedule {

std::optional<int> secondOfDay(const std::string& field)
{
    if (field.size() != 8 || field[2] != ':' || field[5] != ':')
        return std::nullopt;
    for (int i : {0, 1, 3, 4, 6, 7}) {
        if (!std::isdigit(static_cast<unsigned char>(field[static_cast<std::size_t>(i)])))
            return std::nullopt;
    }
    auto two = [&field](std::size_t at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); };
    const int hour = two(0), minute = two(3), second = two(6);
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

std::optional<std::size_t> dueSlot(const std::vector<std::string>& fields, const LocalDateTime& now,
                                   std::optional<std::int64_t> previousTick)
{
    const std::int64_t tick = now.serialSecond();
    // A second already checked by an earlier tick (ticks can come less than
    // a second apart) never runs twice.
    if (previousTick && *previousTick == tick)
        return std::nullopt;
    const std::string clock = now.timeOfDay();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == clock)
            return i;
    }
    if (!previousTick || *previousTick > tick)
        return std::nullopt;
    const auto passed = lastPassed(fields, now);
    if (passed && passed->moment.serialSecond() > *previousTick)
        return passed->field;
    return std::nullopt;
}

std::optional<PassedSlot> lastPassed(const std::vector<std::string>& fields, const LocalDateTime& now)
{
    const std::int64_t tick = now.serialSecond();
    const std::int64_t midnight = midnightOf(now);
    std::optional<std::size_t> latestField;
    std::int64_t latest = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto second = secondOfDay(fields[i]);
        if (!second)
            continue;
        // The slot's latest second before this tick.
        std::int64_t passed = midnight + *second;
        if (passed >= tick)
            passed -= 86400;
        if (!latestField || passed > latest) {
            latestField = i;
            latest = passed;
        }
    }
    if (!latestField)
        return std::nullopt;
    return PassedSlot{*latestField, LocalDateTime::fromSerialSecond(latest)};
}

std::optional<LocalDateTime> next(const std::vector<std::string>& fields, const LocalDateTime& now)
{
    const std::int64_t tick = now.serialSecond();
    const std::int64_t midnight = midnightOf(now);
    std::optional<std::int64_t> soonest;
    for (const std::string& field : fields) {
        const auto second = secondOfDay(field);
        if (!second)
            continue;
        std::int64_t coming = midnight + *second;
        if (coming <= tick)
            coming += 86400;
        if (!soonest || coming < *soonest)
            soonest = coming;
    }
    if (!soonest)
        return std::nullopt;
    return LocalDateTime::fromSerialSecond(*soonest);
}

} // namespace SlotSchedule
