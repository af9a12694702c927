// The test build's answers to the test seams: settings come from ZARN_TEST_* environment variables.
#include <windows.h>

#include "base/TestBuild.h"

namespace zarn::testbuild {

bool Enabled() {
    return true;
}

std::wstring Setting(const wchar_t* name) {
    std::wstring variable = L"ZARN_TEST_";
    variable += name;
    wchar_t value[1024] = {};
    DWORD n = ::GetEnvironmentVariableW(variable.c_str(), value, 1024);
    if (n == 0 || n >= 1024)
        return {};
    return std::wstring(value, n);
}

} // namespace zarn::testbuild
