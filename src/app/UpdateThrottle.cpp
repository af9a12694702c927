// The update-throttle rules.
#include "app/UpdateThrottle.h"

namespace zarn {

StoredTime EncodeSystemDate(const SystemDate& date) {
    const uint16_t fields[8] = {date.Year, date.Month,  date.DayOfWeek, date.Day,
                                date.Hour, date.Minute, date.Second,    date.Milliseconds};
    StoredTime bytes{};
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(fields[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(fields[i] >> 8);
    }
    return bytes;
}

SystemDate DecodeSystemDate(const StoredTime& bytes) {
    uint16_t f[8];
    for (int i = 0; i < 8; ++i)
        f[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return SystemDate{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

bool IsDisabledWeekdayRule(uint32_t disableDays, unsigned weekday) {
    if (disableDays == 0)
        return false;
    for (int byte = 0; byte < 3; ++byte)
        if (((disableDays >> (8 * byte)) & 0xFF) == weekday)
            return true;
    return false;
}

bool IsUpdateCheckDueRule(const StoredTime& lastUpdate, const SystemDate& nowUtc, uint32_t disableDays) {
    const SystemDate last = DecodeSystemDate(lastUpdate);
    if (last.Year == nowUtc.Year && last.Month == nowUtc.Month && last.Day == nowUtc.Day)
        return false;
    return !IsDisabledWeekdayRule(disableDays, nowUtc.DayOfWeek);
}

uint32_t ChooseDisabledDaysValue(unsigned milliseconds, int r1, int r2) {
    // Unsigned 32-bit arithmetic on purpose: a negative intermediate wraps before the remainder.
    const uint32_t ms = milliseconds;
    const uint32_t c = (static_cast<uint32_t>(r1) + 7u - ms) % 7u;
    uint32_t e = (static_cast<uint32_t>(r2) + 7u - ms) % 7u;
    uint32_t d = ms % 7u;
    if (d == c)
        d = (d + 6u) % 7u;
    if (e == c)
        e = (e + 1u) % 7u;
    return d * 65536u + c * 256u + e;
}

} // namespace zarn
