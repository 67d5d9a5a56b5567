#include "platform/local_date_time.h"

#include <cstdio>

namespace {

// Days from 0001-01-01 in the proleptic Gregorian calendar (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 719162;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468 - 719162;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

} // namespace

std::string LocalDateTime::timeOfDay() const
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
    return buffer;
}

std::string LocalDateTime::text() const
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buffer;
}

std::optional<LocalDateTime> LocalDateTime::fromText(const std::string& text)
{
    if (text.size() != 19)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (expected == '0' ? !digit : text[i] != expected)
            return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t length) { return std::stoi(text.substr(at, length)); };
    LocalDateTime t{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2), 0};
    // A date the calendar does not have comes back from the serial as another.
    if (t.hour > 23 || t.minute > 59 || t.second > 59 || t.month < 1 || t.month > 12 || t.day < 1
        || fromSerialSecond(t.serialSecond()) != t)
        return std::nullopt;
    return t;
}

std::string LocalDateTime::hourFolderName() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d年%02d月%02d日%02d时", year, month, day, hour);
    return buffer;
}

std::int64_t LocalDateTime::serialSecond() const
{
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600
        + minute * 60 + second;
}

LocalDateTime LocalDateTime::fromSerialSecond(std::int64_t serial)
{
    std::int64_t days = serial / 86400;
    std::int64_t rest = serial % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalDateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}
