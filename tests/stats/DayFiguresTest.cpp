// Day arithmetic of the launcher-start statistics.
#include "stats/DayFigures.h"

#include <gtest/gtest.h>

#include <climits>

using namespace zarn;

namespace {

constexpr LocalDate Today{2024, 3, 1};

TEST(DaysSinceLastStart, CountsCalendarDays) {
    EXPECT_EQ(DaysSinceLastStart(L"2024/3/1", Today), 0);
    EXPECT_EQ(DaysSinceLastStart(L"2024/2/29", Today), 1) << "leap day";
    EXPECT_EQ(DaysSinceLastStart(L"2024/2/28", Today), 2);
    EXPECT_EQ(DaysSinceLastStart(L"2023/3/1", Today), 366);
    EXPECT_EQ(DaysSinceLastStart(L"2023/12/31", LocalDate{2024, 1, 1}), 1);
    EXPECT_EQ(DaysSinceLastStart(L"2024/03/05", Today), -4) << "clock set back";
    EXPECT_EQ(DaysSinceLastStart(L"1970/1/1", LocalDate{9999, 12, 31}), 2932896);
}

TEST(DaysSinceLastStart, MissingOrMalformedDatesCountAsToday) {
    for (const wchar_t* text : {L"", L"0", L"2013/5", L"/", L"2013/13/40", L"2013/2/29", L"2013/0/1",
                                L"2013/1/0", L"1969/12/31", L"abc/def/ghi"})
        EXPECT_EQ(DaysSinceLastStart(text, Today), 0) << text;
    // First and last slash decide; numbers read like wcstol.
    EXPECT_EQ(DaysSinceLastStart(L" 2024/2/x/29", Today), 1);
    EXPECT_FALSE(ParseStoredDate(L"2013/13/40"));
    EXPECT_EQ(FormatStoredDate({2013, 5, 7}), L"2013/5/7");
}

TEST(WeekdaysMask, ShiftsThePastAndMarksToday) {
    EXPECT_EQ(NextWeekdaysMask(0, 0), 1u);
    EXPECT_EQ(NextWeekdaysMask(1, 1), 3u);
    EXPECT_EQ(NextWeekdaysMask(3, 1), 7u);
    EXPECT_EQ(NextWeekdaysMask(7, 0), 7u) << "same day: unchanged";
    EXPECT_EQ(NextWeekdaysMask(1, 2), 5u);
    EXPECT_EQ(NextWeekdaysMask(0x7F, 1), 0x7Fu);
    EXPECT_EQ(NextWeekdaysMask(0x7F, 6), 0x41u);
    EXPECT_EQ(NextWeekdaysMask(0x7F, 7), 1u);
    EXPECT_EQ(NextWeekdaysMask(0x7F, 32), 1u) << "a shift of 32 or more is defined";
    EXPECT_EQ(NextWeekdaysMask(0x7F, INT_MAX), 1u);
    EXPECT_EQ(NextWeekdaysMask(0x7F, -1), 1u) << "negative: no old bit survives";
    EXPECT_EQ(NextWeekdaysMask(200, 0), 1u) << "above 128 counts as 0";
    EXPECT_EQ(NextWeekdaysMask(128, 0), 1u);
    EXPECT_EQ(NextWeekdaysMask(-3, 0), 1u) << "negative stored value counts as above 128";
    EXPECT_EQ(CountBits(0x7F), 7u);
    EXPECT_EQ(CountBits(5), 2u);
}

TEST(KeepAndApartDays, FollowTheDayCount) {
    EXPECT_EQ(NextKeepDays(1, 0), 1u);
    EXPECT_EQ(NextKeepDays(2, 1), 3u);
    EXPECT_EQ(NextKeepDays(5, 2), 1u);
    EXPECT_EQ(NextKeepDays(5, -1), 1u);
    EXPECT_EQ(ApartDays(0), 0);
    EXPECT_EQ(ApartDays(1), 0);
    EXPECT_EQ(ApartDays(2), 1);
    EXPECT_EQ(ApartDays(-4), -5);
    EXPECT_EQ(ApartDays(INT_MIN), INT_MIN) << "no overflow";
}

// Three consecutive days, then a two-day gap, as the launcher start applies the rules.
TEST(LauncherStartFigures, ConsecutiveDaysAndAGap) {
    std::wstring stored = L"0";
    int32_t mask = 0;
    uint32_t keep = 1;
    const LocalDate days[] = {{2024, 2, 27}, {2024, 2, 28}, {2024, 2, 29}, {2024, 3, 2}};
    const unsigned expectedWeekdays[] = {1, 2, 3, 4};
    const uint32_t expectedKeep[] = {1, 2, 3, 1};
    const int32_t expectedApart[] = {0, 0, 0, 1};
    for (int i = 0; i < 4; ++i) {
        const int32_t d = DaysSinceLastStart(stored, days[i]);
        mask = static_cast<int32_t>(NextWeekdaysMask(mask, d));
        keep = NextKeepDays(keep, d);
        EXPECT_EQ(CountBits(static_cast<uint32_t>(mask)), expectedWeekdays[i]) << i;
        EXPECT_EQ(keep, expectedKeep[i]) << i;
        EXPECT_EQ(ApartDays(d), expectedApart[i]) << i;
        stored = FormatStoredDate(days[i]);
    }
    EXPECT_EQ(mask, 0x1D) << "7 shifted by 2, bit 0 set";
}

} // namespace
