// The test build's answers to the test seams: settings come from ZARN_TEST_* environment variables.
#include <windows.h>

#include <string>

#include "base/TestBuild.h"
#include "framework/Handle.h"

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
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                            0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                          nullptr, nullptr);
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
