// When the automatic update check may run: not twice on one (UTC) day, and not on the three weekdays
// chosen at install. The pure rules; the registry side lives in Settings_win.cpp. Portable.
#pragma once

#include <array>
#include <cstdint>

namespace zarn {

// The fields of a Windows SYSTEMTIME, in its order.
struct SystemDate {
    uint16_t Year = 0;
    uint16_t Month = 0;
    uint16_t DayOfWeek = 0;
    uint16_t Day = 0;
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint16_t Milliseconds = 0;
};

// The stored "UpdTime" value: 16 bytes, a SYSTEMTIME in little-endian order.
using StoredTime = std::array<uint8_t, 16>;
StoredTime EncodeSystemDate(const SystemDate& date);
SystemDate DecodeSystemDate(const StoredTime& bytes);

// True when "DisableDays" (bytes 0-2 hold weekday numbers) disables the weekday. 0 disables nothing.
bool IsDisabledWeekdayRule(uint32_t disableDays, unsigned weekday);

// True when the check may run now: it did not run on today's date and today is not disabled.
bool IsUpdateCheckDueRule(const StoredTime& lastUpdate, const SystemDate& nowUtc, uint32_t disableDays);

// Three weekdays (byte 2 = d, byte 1 = c, byte 0 = e) picked from the millisecond field of the
// clock and two rand() values. d never equals c, so the result is never 0.
uint32_t ChooseDisabledDaysValue(unsigned milliseconds, int r1, int r2);

} // namespace zarn
