// The release build's answers to the test seams: everything off.
#include "testbuild/BrowserTestCommands_win.h"
#include "testbuild/TestBuild.h"

namespace zarn::testbuild {

bool Enabled() {
    return false;
}
std::wstring Setting(const wchar_t*) {
    return {};
}
void Note(const std::wstring&) {}

void BrowserHostCreated(HWND, BrowserHostKind) {}
bool AcceptBrowserCommand(HWND, LPARAM, UINT) {
    return false;
}
void RunBrowserCommands(HWND, WebBrowserHost&) {}
void BrowserHostDestroyed(HWND) {}

} // namespace zarn::testbuild
