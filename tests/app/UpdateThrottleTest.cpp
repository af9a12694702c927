// The update throttle: one check per UTC day, never on the disabled weekdays, and the choice of
// those weekdays.
#include "app/UpdateThrottle.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {
SystemDate Utc(uint16_t y, uint16_t m, uint16_t d, uint16_t weekday, uint16_t hour = 12) {
    SystemDate t;
    t.Year = y;
    t.Month = m;
    t.Day = d;
    t.DayOfWeek = weekday;
    t.Hour = hour;
    return t;
}
} // namespace

TEST(UpdateThrottle, ChecksOncePerUtcDay) {
    const SystemDate now = Utc(2026, 12, 9, 3, 0); // Wednesday, just after UTC midnight
    EXPECT_TRUE(IsUpdateCheckDueRule(StoredTime{}, now, 0)) << "nothing stored: a zero year never matches";
    EXPECT_TRUE(IsUpdateCheckDueRule(EncodeSystemDate(Utc(2026, 12, 8, 2, 23)), now, 0)) << "yesterday";
    EXPECT_FALSE(IsUpdateCheckDueRule(EncodeSystemDate(Utc(2026, 12, 9, 3, 0)), now, 0)) << "earlier today";
    // Same day and month of another year, and the weekday field alone, do not count as today.
    EXPECT_TRUE(IsUpdateCheckDueRule(EncodeSystemDate(Utc(2025, 12, 9, 2)), now, 0));
    EXPECT_FALSE(IsUpdateCheckDueRule(EncodeSystemDate(Utc(2026, 12, 9, 6)), now, 0));
}

TEST(UpdateThrottle, DisabledWeekdaysBlockTheCheck) {
    const uint32_t wedFriMon = 0x00010503; // bytes 0x03, 0x05, 0x01
    EXPECT_TRUE(IsDisabledWeekdayRule(wedFriMon, 3));
    EXPECT_TRUE(IsDisabledWeekdayRule(wedFriMon, 5));
    EXPECT_TRUE(IsDisabledWeekdayRule(wedFriMon, 1));
    EXPECT_FALSE(IsDisabledWeekdayRule(wedFriMon, 0));
    EXPECT_FALSE(IsDisabledWeekdayRule(wedFriMon, 2));
    EXPECT_FALSE(IsDisabledWeekdayRule(0, 0)) << "0 disables nothing, not Sunday";
    EXPECT_FALSE(IsDisabledWeekdayRule(0x03000000, 3)) << "byte 3 is not a weekday";

    EXPECT_FALSE(IsUpdateCheckDueRule(StoredTime{}, Utc(2026, 12, 9, 3), wedFriMon));
    EXPECT_TRUE(IsUpdateCheckDueRule(StoredTime{}, Utc(2026, 12, 10, 4), wedFriMon));
}

TEST(UpdateThrottle, StoredTimeRoundTripsInSystemTimeLayout) {
    SystemDate t = Utc(2013, 5, 27, 1, 8);
    t.Milliseconds = 999;
    const StoredTime bytes = EncodeSystemDate(t);
    EXPECT_EQ(bytes[0], 0xDD); // 2013 little-endian
    EXPECT_EQ(bytes[1], 0x07);
    EXPECT_EQ(bytes[6], 27); // wDay is the fourth field
    const SystemDate back = DecodeSystemDate(bytes);
    EXPECT_EQ(back.Year, 2013);
    EXPECT_EQ(back.Day, 27);
    EXPECT_EQ(back.Milliseconds, 999);
}

TEST(UpdateThrottle, DisabledDaysAreNeverZeroAndDNeverEqualsC) {
    const int randoms[] = {0, 1, 6, 7, 41, 18467, 6334, 26500, 32767, -1, -7, INT32_MAX, INT32_MIN};
    for (unsigned ms = 0; ms < 1000; ++ms) {
        for (int r1 : randoms) {
            for (int r2 : randoms) {
                const uint32_t v = ChooseDisabledDaysValue(ms, r1, r2);
                ASSERT_NE(v, 0u);
                const uint32_t e = v & 0xFF, c = (v >> 8) & 0xFF, d = (v >> 16) & 0xFF;
                ASSERT_LT(e, 7u);
                ASSERT_LT(c, 7u);
                ASSERT_LT(d, 7u);
                ASSERT_NE(d, c);
                ASSERT_NE(e, c);
                ASSERT_EQ(v >> 24, 0u);
            }
        }
    }
}

TEST(UpdateThrottle, DisabledDaysFollowTheModularRule) {
    // ms = 10, r1 = 41, r2 = 18467: c = (41 + 7 - 10) % 7 = 3, e = (18467 + 7 - 10) % 7 = 5, d = 10 % 7 = 3
    // d equals c, so d becomes (3 + 6) % 7 = 2.
    EXPECT_EQ(ChooseDisabledDaysValue(10, 41, 18467), (2u << 16) | (3u << 8) | 5u);
    // A negative intermediate wraps in 32 bits before the remainder: r1 = 0, ms = 999.
    const uint32_t c = (0u + 7u - 999u) % 7u;
    EXPECT_EQ((ChooseDisabledDaysValue(999, 0, 100) >> 8) & 0xFF, c);
}
