// Day arithmetic of the usage statistics.
#include "stats/DayFigures.h"

#include <limits>

#include "base/Strings.h"

namespace zarn {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

bool IsRealDate(const LocalDate& d) {
    return d.Year >= 1970 && d.Year <= 9999 && d.Month >= 1 && d.Month <= 12 && d.Day >= 1 &&
           d.Day <= DaysInMonth(d.Year, d.Month);
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
int64_t DayNumber(const LocalDate& d) {
    const int64_t y = d.Month <= 2 ? d.Year - 1 : d.Year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t m = d.Month;
    const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d.Day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<LocalDate> ParseStoredDate(std::wstring_view text) {
    const size_t first = text.find(L'/');
    const size_t last = text.rfind(L'/');
    if (first == std::wstring_view::npos || first == last)
        return std::nullopt;
    LocalDate date;
    date.Year = ParseLong(text.substr(0, first));
    date.Month = ParseLong(text.substr(first + 1, last - first - 1));
    date.Day = ParseLong(text.substr(last + 1));
    if (!IsRealDate(date))
        return std::nullopt;
    return date;
}

std::wstring FormatStoredDate(const LocalDate& date) {
    return std::to_wstring(date.Year) + L"/" + std::to_wstring(date.Month) + L"/" + std::to_wstring(date.Day);
}

int32_t DaysSinceLastStart(std::wstring_view storedLastStart, const LocalDate& today) {
    const std::optional<LocalDate> last = ParseStoredDate(storedLastStart);
    if (!last || !IsRealDate(today))
        return 0;
    return static_cast<int32_t>(DayNumber(today) - DayNumber(*last));
}

uint32_t NextWeekdaysMask(int32_t storedMask, int32_t days) {
    uint32_t old = static_cast<uint32_t>(storedMask);
    if (old > 128)
        old = 0;
    if (days < 0 || days >= 7)
        return 1;
    return ((old << days) & 0x7E) | 1;
}

unsigned CountBits(uint32_t mask) {
    unsigned n = 0;
    for (; mask; mask &= mask - 1)
        ++n;
    return n;
}

uint32_t NextKeepDays(uint32_t storedKeepDays, int32_t days) {
    if (static_cast<uint32_t>(days) >= 2)
        return 1;
    return days == 1 ? storedKeepDays + 1 : storedKeepDays;
}

int32_t ApartDays(int32_t days) {
    if (static_cast<uint32_t>(days) < 2)
        return 0;
    if (days == std::numeric_limits<int32_t>::min())
        return days;
    return days - 1;
}

} // namespace zarn
