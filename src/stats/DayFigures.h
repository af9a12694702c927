// The day-based figures of a launcher start: days since the stored last start, the "weekdays" mask,
// "keepdays" and "apartdays". Pure rules; today's date comes in as a parameter. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

struct LocalDate {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
};

// Reads a stored "lstTime" ("year/month/day"): the number before the first "/", between the first and
// the last "/", and after the last. Nothing (the caller then takes today) when there are not two
// distinct slashes or when the numbers name no real calendar date between 1970 and 9999.
std::optional<LocalDate> ParseStoredDate(std::wstring_view text);

// "%d/%d/%d" of the date.
std::wstring FormatStoredDate(const LocalDate& date);

// Whole calendar days from the stored date to today; 0 for a missing or malformed date. Negative when
// the stored date lies after today (the clock was set back).
int32_t DaysSinceLastStart(std::wstring_view storedLastStart, const LocalDate& today);

// The new "weekdays" mask: bit k set when the launcher was started k days before today. A stored value
// above 128 (as unsigned) counts as 0. A day count of 7 or more, or a negative one, keeps no old bit.
uint32_t NextWeekdaysMask(int32_t storedMask, int32_t days);
// Number of set bits.
unsigned CountBits(uint32_t mask);

// The new "keepdays": +1 the day after the last start, unchanged on the same day, 1 after a gap (a
// negative day count included).
uint32_t NextKeepDays(uint32_t storedKeepDays, int32_t days);

// "apartdays": days - 1 when days is 2 or more, or negative (unsigned comparison); else 0. Clamped to
// the 32-bit range.
int32_t ApartDays(int32_t days);

} // namespace zarn
