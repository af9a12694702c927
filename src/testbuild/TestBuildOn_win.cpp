// The test build's answers to the test seams: settings come from ZARN_TEST_* environment variables.
#include <windows.h>

#include <string>

#include "framework/CodePage.h"
#include "framework/Handle.h"
#include "testbuild/TestBuild.h"

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

void Note(const std::wstring& line) {
    const std::wstring path = Setting(L"NOTES");
    if (path.empty())
        return;
    const std::wstring text = std::to_wstring(::GetCurrentProcessId()) + L" " + line + L"\n";
    const std::string utf8 = ToCodePage(text, CP_UTF8).value_or(std::string());
    // Opened per line and appended whole, so that the lines of several processes do not interleave.
    UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, 0, nullptr));
    if (!file.valid())
        return;
    DWORD written = 0;
    ::WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

} // namespace zarn::testbuild
