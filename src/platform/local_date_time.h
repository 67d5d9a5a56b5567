#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A reading of the local wall clock. The schedule compares wall-clock times,
// so a clock set back or a daylight-saving change is seen as the operator
// sees it on the screen.
struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // "hh:mm:ss", 24-hour clock.
    std::string timeOfDay() const;
    // "yyyy-MM-dd hh:mm:ss", as logs and records write a moment.
    std::string text() const;
    // The moment of text(); nothing for anything else, an impossible date
    // or time included.
    static std::optional<LocalDateTime> fromText(const std::string& text);
    // "yyyy年MM月dd日hh时", the name of a time-slot folder.
    std::string hourFolderName() const;
    // Seconds since 0001-01-01 00:00:00 of the wall clock: orders readings and
    // measures the distance between them, whatever the calendar.
    std::int64_t serialSecond() const;
    static LocalDateTime fromSerialSecond(std::int64_t serial);

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};
