// A game-window process reads its launcher's handle from "/newgm /<handle> /<n>" and tells that
// window when its login ends without an account (here: its backdrop is closed).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/Program_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn::test;

namespace {

struct Received {
    UINT Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};
Received LastSysCommand;

LRESULT CALLBACK FakeLauncherProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND) {
        LastSysCommand = {msg, wp, lp};
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

HWND CreateFakeLauncher() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FakeLauncherProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZarnTestFakeLauncher";
    ::RegisterClassW(&wc);
    return ::CreateWindowW(wc.lpszClassName, L"fake launcher", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Pumps this thread's messages until a WM_SYSCOMMAND arrives or the time is up.
bool PumpUntilSysCommand(const Program& program, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (LastSysCommand.Message == 0 && ::GetTickCount() - start < timeoutMs) {
        ::MsgWaitForMultipleObjects(1, reinterpret_cast<const HANDLE*>(&program.Process), FALSE, 100,
                                    QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    return LastSysCommand.Message != 0;
}

// The login's backdrop, pumping this thread's messages meanwhile: the login disables its owner (the
// launcher window of this thread) with a message it waits for.
HWND PumpUntilBackdrop(const Program& program, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (HWND backdrop = WaitForWindow(program.Pid, L"MirelCorvale", 50))
            return backdrop;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    return nullptr;
}

TEST(GameWindowStart, CancelledLoginPostsCloseWithTheProgramsMarkToTheLauncher) {
    HWND launcher = CreateFakeLauncher();
    ASSERT_NE(launcher, nullptr);
    LastSysCommand = {};
    const std::wstring handle = std::to_wstring(zarn::WindowHandleValue(launcher));
    Program program = StartProgram(ZarnExe(), L"/newgm /" + handle + L" /0");
    ASSERT_TRUE(program.Process);
    // The login shows its backdrop; closing it cancels the login.
    HWND backdrop = PumpUntilBackdrop(program, 30000);
    ASSERT_NE(backdrop, nullptr);
    ::PostMessageW(backdrop, WM_SYSCOMMAND, SC_CLOSE, 0);

    ASSERT_TRUE(PumpUntilSysCommand(program, 30000));
    EXPECT_EQ(LastSysCommand.WParam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(LastSysCommand.LParam, 6021);
    EXPECT_TRUE(WaitForExit(program, 20000));
    Kill(program);
    ::DestroyWindow(launcher);
}

// An unrelated window of this process counts the WM_SYSCOMMAND messages it gets; a marker posted
// after the program ended shows that everything posted before it was handled.
constexpr UINT MarkerMessage = WM_APP + 21;
int BystanderSysCommands = 0;
bool BystanderMarkerSeen = false;

LRESULT CALLBACK BystanderProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND) {
        ++BystanderSysCommands;
        return 0;
    }
    if (msg == MarkerMessage) {
        BystanderMarkerSeen = true;
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

TEST(GameWindowStart, AForgedBroadcastHandleReachesNoOtherWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BystanderProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZarnTestBystander";
    ::RegisterClassW(&wc);
    HWND bystander = ::CreateWindowW(wc.lpszClassName, L"bystander", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                     nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(bystander, nullptr);
    // 65535 is HWND_BROADCAST; -1 (HWND_TOPMOST) is taken as one too.
    for (const wchar_t* value : {L"65535", L"-1"}) {
        SCOPED_TRACE(value);
        BystanderSysCommands = 0;
        BystanderMarkerSeen = false;
        Program program = StartProgram(ZarnExe(), std::wstring(L"/newgm /") + value + L" /1");
        ASSERT_TRUE(program.Process);
        HWND backdrop = PumpUntilBackdrop(program, 30000);
        ASSERT_NE(backdrop, nullptr);
        ::PostMessageW(backdrop, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitForExit(program, 30000)) << "the cancelled login ends the process";
        Kill(program);
        ASSERT_TRUE(::PostMessageW(bystander, MarkerMessage, 0, 0));
        MSG msg;
        while (!BystanderMarkerSeen && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageW(&msg);
        EXPECT_EQ(BystanderSysCommands, 0) << "a window of another program was told to close";
    }
    ::DestroyWindow(bystander);
}

} // namespace
