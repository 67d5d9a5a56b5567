#include <gtest/gtest.h>

#include "backup/slot_schedule.h"

namespace {

LocalDateTime at(int day, int hour, int minute, int second)
{
    return {2026, 12, day, hour, minute, second, 0};
}

struct SlotCase {
    const char* name;
    std::vector<std::string> fields;
    std::optional<LocalDateTime> previous;
    LocalDateTime now;
    bool due;
};

void PrintTo(const SlotCase& c, std::ostream* os)
{
    *os << c.name;
}

class SlotCheck : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotCheck, decidesWhetherTheTickRunsABackup)
{
    const SlotCase& c = GetParam();
    std::optional<std::int64_t> previous;
    if (c.previous)
        previous = c.previous->serialSecond();
    EXPECT_EQ(SlotSchedule::isDue(c.fields, c.now, previous), c.due);
}

const std::vector<std::string> kDefaults{"12:00:00", "18:00:00", "03:00:00"};

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotCheck,
    ::testing::Values(
        SlotCase{"exactSecond", kDefaults, at(6, 11, 59, 59), at(6, 12, 0, 0), true},
        SlotCase{"exactSecondWithoutPreviousTick", kDefaults, std::nullopt, at(6, 18, 0, 0), true},
        SlotCase{"secondAfter", kDefaults, at(6, 12, 0, 0), at(6, 12, 0, 1), false},
        SlotCase{"oneDigitHourNeverMatches", {"3:00:00"}, at(6, 2, 59, 59), at(6, 3, 0, 0), false},
        SlotCase{"blankInFrontNeverMatches", {" 03:00:00"}, at(6, 2, 59, 59), at(6, 3, 0, 0), false},
        SlotCase{"emptyFieldNeverMatches", {"", "", ""}, at(6, 0, 0, 0), at(6, 0, 0, 1), false},
        SlotCase{"lateTickCatchesUpTheSkippedSecond", kDefaults, at(6, 11, 59, 59), at(6, 12, 0, 1), true},
        SlotCase{"longRunCatchesUpASlotItHeldTheWindowThrough", kDefaults, at(6, 11, 50, 0), at(6, 12, 10, 0), true},
        SlotCase{"sleptThroughSeveralSlotsAcrossMidnight", kDefaults, at(6, 11, 0, 0), at(7, 4, 0, 0), true},
        SlotCase{"sleptForDays", {"10:00:00"}, at(1, 11, 0, 0), at(4, 9, 0, 0), true},
        SlotCase{"midnightSlotAcrossTheDateLine", {"00:00:00"}, at(6, 23, 59, 59), at(7, 0, 0, 2), true},
        SlotCase{"firstTickAfterStartCatchesNothingUp", kDefaults, std::nullopt, at(6, 13, 0, 0), false},
        SlotCase{"malformedFieldIsNotCaughtUp", {"3:00:00", "12:0:00"}, at(6, 2, 0, 0), at(6, 13, 0, 0), false},
        SlotCase{"outOfRangeFieldIsNotCaughtUp", {"24:00:00", "12:60:00"}, at(6, 0, 0, 0), at(6, 23, 0, 0), false},
        SlotCase{"clockSetBackOnlyMatchesExactly", kDefaults, at(6, 12, 30, 0), at(6, 11, 0, 0), false},
        SlotCase{"clockSetBackOntoASlot", kDefaults, at(6, 12, 30, 0), at(6, 12, 0, 0), true},
        SlotCase{"secondTickInTheSlotSecond", kDefaults, at(6, 12, 0, 0), at(6, 12, 0, 0), false},
        SlotCase{"nothingPassedSinceThePreviousTick", kDefaults, at(6, 12, 0, 1), at(6, 12, 0, 2), false}),
    [](const ::testing::TestParamInfo<SlotCase>& param) { return param.param.name; });

TEST(SlotField, onlyTimesWrittenExactlyCount)
{
    EXPECT_EQ(SlotSchedule::secondOfDay("03:00:00"), 3 * 3600);
    EXPECT_EQ(SlotSchedule::secondOfDay("23:59:59"), 86399);
    for (const char* bad : {"3:00:00", "03:00", "03:00:00 ", "03-00-00", "0a:00:00", "24:00:00", "", "+3:00:00"})
        EXPECT_FALSE(SlotSchedule::secondOfDay(bad)) << bad;
}

} // namespace
