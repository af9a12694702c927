// Helpers for the launcher tests.
#include "support/LauncherTestSupport_win.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "app/Program_win.h"
#include "base/Product.h"
#include "framework/CodePage.h"
#include "support/SetupTestSupport_win.h"

namespace zarn::test {
namespace {

// Every program the tests start inherits these: the launcher's test build then plays its game windows
// with the stand-in, which (without instructions) cancels its login as the first stand-in used to.
class PeerEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"ZARN_TEST_GAME_PROGRAM",
                                  (TestExeFolder() + L"zarn_gamepeer.exe").c_str());
        ::SHCreateDirectoryExW(nullptr, PeerFolder().c_str(), nullptr);
        ::SetEnvironmentVariableW(L"ZARN_TEST_PEER_DIR", PeerFolder().c_str());
    }
};
[[maybe_unused]] const ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new PeerEnvironment);

std::string Utf8(const std::wstring& text) {
    return ToCodePage(text, CP_UTF8).value_or(std::string());
}

std::wstring Wide(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

void WriteText(const std::wstring& path, const std::wstring& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = Utf8(text);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

struct BoxSearch {
    DWORD Pid;
    HWND Exclude;
    HWND Found;
};

BOOL CALLBACK MatchBox(HWND wnd, LPARAM param) {
    auto* s = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner != s->Pid || wnd == s->Exclude || !::IsWindowVisible(wnd))
        return TRUE;
    wchar_t text[64] = {};
    ::GetWindowTextW(wnd, text, 64);
    if (std::wstring(text) != product::Caption)
        return TRUE;
    s->Found = wnd;
    return FALSE;
}

} // namespace

std::wstring PeerFolder() {
    return TestStateFolder() + L"\\peers";
}

void SetNextPeer(const std::wstring& mode, const std::wstring& title, const std::wstring& log) {
    ::DeleteFileW((PeerFolder() + L"\\" + log).c_str());
    WriteText(PeerFolder() + L"\\next.txt", L"mode=" + mode + L"\ntitle=" + title + L"\nlog=" + log + L"\n");
}

std::vector<std::wstring> FileLines(const std::wstring& path) {
    const std::wstring text = Wide(ReadFileBytes(path));
    std::vector<std::wstring> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos)
            break; // a line still being written
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::vector<std::wstring> PeerLog(const std::wstring& log) {
    return FileLines(PeerFolder() + L"\\" + log);
}

std::wstring WaitForPeerLine(const std::wstring& log, const std::wstring& prefix, DWORD timeoutMs) {
    std::wstring found;
    WaitFor(
        [&] {
            for (const auto& line : PeerLog(log))
                if (line.compare(0, prefix.size(), prefix) == 0) {
                    found = line;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

size_t CountPeerLines(const std::wstring& log, const std::wstring& prefix) {
    size_t n = 0;
    for (const auto& line : PeerLog(log))
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++n;
    return n;
}

HWND PeerFrame(const std::wstring& log, DWORD timeoutMs) {
    const std::wstring line = WaitForPeerLine(log, L"frame ", timeoutMs);
    if (line.empty())
        return nullptr;
    return WindowFromHandleValue(static_cast<int32_t>(_wtoi(line.c_str() + 6)));
}

bool HangPeer(HWND frame, const std::wstring& log, WPARAM ms) {
    return ::PostMessageW(frame, WM_APP + 0x50, ms, 0) && !WaitForPeerLine(log, L"hang").empty();
}

LauncherProcess::LauncherProcess() = default;

// Ends the launcher as a user would (the tray menu's "退出", no question), so that its windows go the
// normal way before the next test looks at the screen; kills it only if that does not work.
LauncherProcess::~LauncherProcess() {
    Exit();
}

void LauncherProcess::Exit() {
    if (!Running())
        return;
    if (::IsWindow(Window_) && ::IsWindowEnabled(Window_)) {
        ::PostMessageW(Window_, WM_USER + 3, 0, 0);
        if (WaitForMenu(5000)) {
            PostKey(VK_UP);
            PostKey(VK_RETURN);
        }
    }
    if (!WaitForExit(Program_, 5000)) {
        Kill(Program_);
        WaitForExit(Program_, 10000);
    }
}

bool LauncherProcess::Start(const std::wstring& firstPeerMode, const std::wstring& title,
                            const std::wstring& log) {
    ::SHCreateDirectoryExW(nullptr, InstallFolder().c_str(), nullptr);
    const std::wstring exe = InstallFolder() + L"\\Zarn.exe";
    // A launcher still running from there keeps its file: the same test build, which then serves as is.
    WaitFor([&] { return ::CopyFileW(ZarnTestBuildExe().c_str(), exe.c_str(), FALSE) || FileExists(exe); },
            20000);
    SetNextPeer(firstPeerMode, title, log);
    Program_ = StartProgram(exe, L"/ZarnD");
    if (!Program_.Process)
        return false;
    Window_ = WaitForWindow(Program_.Pid, product::Caption, 30000);
    return Window_ != nullptr;
}

bool LauncherProcess::Running() const {
    return Program_.Process && ::WaitForSingleObject(Program_.Process.get(), 0) == WAIT_TIMEOUT;
}

bool LauncherProcess::WaitForEnd(DWORD timeoutMs) {
    return WaitForExit(Program_, timeoutMs);
}

HWND LauncherProcess::WaitForBox(std::wstring* text, DWORD timeoutMs) const {
    BoxSearch search{Program_.Pid, Window_, nullptr};
    WaitFor(
        [&] {
            ::EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
            return search.Found != nullptr;
        },
        timeoutMs);
    if (search.Found && text)
        *text = StaticTexts(search.Found);
    return search.Found;
}

void LauncherProcess::Answer(HWND box, bool first) {
    ClickButton(box, first ? 5000 : 5001);
}

void LauncherProcess::PostMouse(UINT msg, int x, int y, WPARAM keys) const {
    ::PostMessageW(Window_, msg, keys, MAKELPARAM(x, y));
}

void LauncherProcess::AddTab(const std::wstring& title, const std::wstring& log) const {
    SetNextPeer(L"login", title, log);
    // The answer counts once the launcher acted on it: a new stand-in process, or a box. A late activation
    // can hide the drop-down between the moment it was seen in front and the click, which is then
    // dropped: the drop-down is opened and answered again.
    for (int tries = 0; tries < 3; ++tries) {
        const std::vector<DWORD> before = ProcessesNamed(L"zarn_gamepeer.exe");
        HWND drop = OpenDropDown();
        if (!drop)
            return;
        ClickButton(drop, IDOK); // "是"
        const bool acted = WaitFor([&] {
            for (DWORD pid : ProcessesNamed(L"zarn_gamepeer.exe"))
                if (std::find(before.begin(), before.end(), pid) == before.end())
                    return true;
            return !PeerLog(log).empty() || WaitForBox(nullptr, 0) != nullptr;
        });
        if (acted)
            break;
    }
    // Until the launcher is done with it (the new tab had its first tick, its login ended, or the launcher
    // refused with a message): a tab registering later would take the activation from the next
    // drop-down, which then hides unanswered.
    WaitFor(
        [&] {
            return CountPeerLines(log, L"sound ") > 0 || CountPeerLines(log, L"end") > 0 ||
                   WaitForBox(nullptr, 0);
        },
        20000);
}

HWND LauncherProcess::OpenDropDown() const {
    // It answers only while it is shown, and it hides when it loses the activation: a window that was
    // brought forward just before (a login's backdrop going, a tab shown) may still take it, and with
    // slow processes that can come after the drop-down was the foreground window for a while. So it
    // counts as open once it is the foreground window after the launcher has handled everything sent
    // to it before, and it is opened again when a late activation hid it.
    for (int tries = 0; tries < 3; ++tries) {
        ::PostMessageW(Window_, WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0);
        HWND drop = WaitForWindow(Program_.Pid, L"登录其他账号", 10000);
        if (!drop)
            return nullptr;
        WaitFor([&] { return ::GetForegroundWindow() == drop || !::IsWindowVisible(drop); });
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(Window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
        if (::IsWindowVisible(drop) && ::GetForegroundWindow() == drop)
            return drop;
    }
    return nullptr;
}

HWND LauncherProcess::WaitForMenu(DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
                 w = ::FindWindowExW(nullptr, w, L"#32768", nullptr)) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                if (pid == Program_.Pid && ::IsWindowVisible(w))
                    found = w;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

void LauncherProcess::PostKey(UINT key) const {
    ::PostMessageW(Window_, WM_KEYDOWN, key, 1);
}

RECT WindowRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

POINT ClientToScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    return p;
}

} // namespace zarn::test
