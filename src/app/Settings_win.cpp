// Registry side of the update throttle. A key that cannot be opened, or a value of the wrong type or
// size, counts as nothing stored.
#include "app/Settings_win.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Product.h"
#include "app/UpdateThrottle.h"
#include "framework/Handle.h"

namespace zarn {
namespace {

UniqueHKey OpenProductKey(REGSAM access) {
    UniqueHKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, product::RegistryKey, 0, nullptr, 0, access, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

// Reads a REG_BINARY value of exactly `size` bytes; anything else leaves the buffer zero.
void ReadExactBinary(HKEY key, const wchar_t* name, void* buffer, DWORD size) {
    std::vector<BYTE> data(size + 1);
    DWORD type = 0;
    DWORD got = size + 1;
    if (::RegQueryValueExW(key, name, nullptr, &type, data.data(), &got) == ERROR_SUCCESS &&
        type == REG_BINARY && got == size)
        memcpy(buffer, data.data(), size);
}

SystemDate ToSystemDate(const SYSTEMTIME& t) {
    return SystemDate{t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                      t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

uint32_t ReadDisableDays() {
    UniqueHKey key = OpenProductKey(KEY_READ);
    if (!key)
        return 0;
    BYTE bytes[4] = {};
    ReadExactBinary(key.get(), product::DisableDaysValue, bytes, sizeof(bytes));
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

} // namespace

bool IsUpdateCheckDue() {
    StoredTime stored{};
    {
        UniqueHKey key = OpenProductKey(KEY_READ);
        if (!key)
            return false;
        ReadExactBinary(key.get(), product::UpdTimeValue, stored.data(), static_cast<DWORD>(stored.size()));
    }
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return IsUpdateCheckDueRule(stored, ToSystemDate(now), ReadDisableDays());
}

bool IsDisabledWeekday(unsigned weekday) {
    return IsDisabledWeekdayRule(ReadDisableDays(), weekday);
}

bool WriteUpdateTime() {
    UniqueHKey key = OpenProductKey(KEY_WRITE);
    if (!key)
        return false;
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    const StoredTime bytes = EncodeSystemDate(ToSystemDate(now));
    ::RegSetValueExW(key.get(), product::UpdTimeValue, 0, REG_BINARY, bytes.data(),
                     static_cast<DWORD>(bytes.size()));
    return true;
}

bool ChooseDisabledDays() {
    UniqueHKey key = OpenProductKey(KEY_WRITE);
    if (!key)
        return false;
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    const int r1 = std::rand();
    const int r2 = std::rand();
    const uint32_t v = ChooseDisabledDaysValue(now.wMilliseconds, r1, r2);
    const BYTE bytes[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                           static_cast<BYTE>(v >> 24)};
    ::RegSetValueExW(key.get(), product::DisableDaysValue, 0, REG_BINARY, bytes, sizeof(bytes));
    return true;
}

} // namespace zarn
