// The update throttle against the real registry: what is stored, and what counts as nothing stored.
#include "app/Settings_win.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "base/Product.h"
#include "framework/Handle.h"

using namespace zarn;

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, product::RegistryKey); }
    void TearDown() override { ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, product::RegistryKey); }

    static void Store(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        UniqueHKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, product::RegistryKey, 0, nullptr, 0, KEY_WRITE,
                                    nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> Read(const wchar_t* name, DWORD* type) {
        BYTE data[64] = {};
        DWORD size = sizeof(data);
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, product::RegistryKey, name, RRF_RT_ANY, type, data, &size) !=
            ERROR_SUCCESS)
            return {};
        return std::vector<BYTE>(data, data + size);
    }
    static unsigned TodayUtcWeekday() {
        SYSTEMTIME now;
        ::GetSystemTime(&now);
        return now.wDayOfWeek;
    }
    static void StoreDisabledDays(BYTE a, BYTE b, BYTE c) {
        const BYTE v[4] = {a, b, c, 0};
        Store(product::DisableDaysValue, REG_BINARY, v, 4);
    }
};

TEST_F(Settings, NothingStoredMeansDueAndNoDisabledDay) {
    EXPECT_TRUE(IsUpdateCheckDue());
    for (unsigned d = 0; d < 7; ++d)
        EXPECT_FALSE(IsDisabledWeekday(d));
}

TEST_F(Settings, WriteUpdateTimeStoresSixteenBytesOfUtcAndStopsTodaysCheck) {
    ASSERT_TRUE(WriteUpdateTime());
    DWORD type = 0;
    const std::vector<BYTE> stored = Read(product::UpdTimeValue, &type);
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    EXPECT_EQ(stored[0] | (stored[1] << 8), now.wYear);
    EXPECT_EQ(stored[6] | (stored[7] << 8), now.wDay);
    EXPECT_FALSE(IsUpdateCheckDue());
}

TEST_F(Settings, AnUpdateYesterdayLetsTheCheckRun) {
    SYSTEMTIME t;
    ::GetSystemTime(&t);
    FILETIME ft;
    ::SystemTimeToFileTime(&t, &ft);
    ULARGE_INTEGER v{{ft.dwLowDateTime, ft.dwHighDateTime}};
    v.QuadPart -= 24ull * 3600 * 10000000;
    ft = {v.LowPart, v.HighPart};
    ::FileTimeToSystemTime(&ft, &t);
    Store(product::UpdTimeValue, REG_BINARY, &t, sizeof(t));
    const unsigned today = TodayUtcWeekday();
    const BYTE other = static_cast<BYTE>((today + 1) % 7);
    StoreDisabledDays(other, other, other);
    EXPECT_TRUE(IsUpdateCheckDue());
    StoreDisabledDays(other, static_cast<BYTE>(today), other);
    EXPECT_FALSE(IsUpdateCheckDue()) << "today's UTC weekday is disabled";
}

TEST_F(Settings, ValuesOfTheWrongSizeOrTypeReadAsNothingStored) {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    Store(product::UpdTimeValue, REG_BINARY, &now, 8); // only the date part
    EXPECT_TRUE(IsUpdateCheckDue());
    Store(product::UpdTimeValue, REG_DWORD, &now, 4);
    EXPECT_TRUE(IsUpdateCheckDue());
    BYTE big[32] = {};
    memcpy(big, &now, sizeof(now));
    Store(product::UpdTimeValue, REG_BINARY, big, sizeof(big));
    EXPECT_TRUE(IsUpdateCheckDue());

    const unsigned today = TodayUtcWeekday();
    const DWORD asDword = today | (today << 8) | (today << 16);
    Store(product::DisableDaysValue, REG_DWORD, &asDword, 4);
    EXPECT_FALSE(IsDisabledWeekday(today)) << "REG_DWORD is not the stored form";
    const BYTE two[2] = {static_cast<BYTE>(today), static_cast<BYTE>(today)};
    Store(product::DisableDaysValue, REG_BINARY, two, 2);
    EXPECT_FALSE(IsDisabledWeekday(today));
    StoreDisabledDays(3, 5, 1);
    EXPECT_TRUE(IsDisabledWeekday(3));
    EXPECT_TRUE(IsDisabledWeekday(5));
    EXPECT_TRUE(IsDisabledWeekday(1));
    EXPECT_FALSE(IsDisabledWeekday(0));
}

TEST_F(Settings, ChooseDisabledDaysStoresFourNonZeroBytes) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ChooseDisabledDays());
        DWORD type = 0;
        const std::vector<BYTE> v = Read(product::DisableDaysValue, &type);
        ASSERT_EQ(v.size(), 4u);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(v[3], 0);
        EXPECT_NE(v[2], v[1]) << "d never equals c";
        EXPECT_TRUE(v[0] | v[1] | v[2]);
        for (int b = 0; b < 3; ++b)
            EXPECT_LT(v[b], 7);
    }
}

} // namespace
