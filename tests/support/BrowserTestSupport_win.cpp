// Helpers for the tests of hosted browsers.
#include "support/BrowserTestSupport_win.h"

#include "BuildHosts.h"
#include "testbuild/BrowserTestCommands_win.h"

namespace zarn::test {

void BrowserCommand(HWND host, const std::wstring& verb, const std::wstring& argument) {
    const std::wstring text = verb + L"\n" + argument;
    COPYDATASTRUCT data{testbuild::BrowserCommandData,
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(text.c_str())};
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &answer);
}

std::wstring PortalUrl(const std::wstring& pathAndQuery) {
    return std::wstring(L"http://") + build::PortalHost + pathAndQuery;
}

} // namespace zarn::test
