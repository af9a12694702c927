// Fuzzes the sign-in cookie check: any cookie string gives an answer, other cookies around it never
// change it, and a real "Pauth" with a value is always found.
#include "browser/PageRules.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring cookies;
    for (size_t i = 0; i + 1 < size; i += 2)
        cookies.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const bool found = zarn::HasCookieValue(cookies, zarn::SignInCookieName);
    if (found && cookies.find(zarn::SignInCookieName) == std::wstring::npos)
        __builtin_trap();
    // Cookies of other names before or after it change nothing.
    if (zarn::HasCookieValue(L"PauthX=1; " + cookies + L"; xPauth=2", zarn::SignInCookieName) != found)
        __builtin_trap();
    // Any text up to its first ';', ending in a letter, is the value of a real Pauth.
    const std::wstring value = cookies.substr(0, cookies.find(L';')) + L"v";
    if (!zarn::HasCookieValue(L"a=b; Pauth=" + value + L"; c", zarn::SignInCookieName))
        __builtin_trap();
    return 0;
}
