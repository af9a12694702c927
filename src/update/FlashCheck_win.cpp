// Reads the installed Flash Player version from the registry and compares it with the minimum.
#include "update/FlashCheck_win.h"

#include <windows.h>

#include <string>

#include "framework/Handle.h"
#include "update/FlashVersion.h"

namespace zarn {

namespace {
constexpr const wchar_t* FlashPlayerKey = L"SOFTWARE\\Macromedia\\FlashPlayer";
constexpr const wchar_t* CurrentVersionValue = L"CurrentVersion";
constexpr DWORD VersionBufferBytes = 520;
} // namespace

bool IsFlashPlayerCurrent() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, FlashPlayerKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[VersionBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = VersionBufferBytes;
    DWORD type = 0;
    const LONG result = ::RegQueryValueExW(key.get(), CurrentVersionValue, nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer), &size);
    key.reset();
    if (result != ERROR_SUCCESS || size > VersionBufferBytes)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // The stored text need not end in a NUL: the extra element of the buffer always does.
    std::wstring version(buffer, size / sizeof(wchar_t));
    version.resize(wcsnlen(version.c_str(), version.size()));
    return IsFlashVersionNewer(version);
}

} // namespace zarn
