// The launcher window under Wine, started as the program is ("/ZarnD" from the install folder), with
// stand-in game-window processes as its tabs: the start state, registration (of its own processes'
// frames only), the sound flag, logins and their report, the drop-down's answer, the tab limit,
// closing tabs, the size rule, the key filter and the menu.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Program_win.h"
#include "protocol/ProgramMessages.h"
#include "framework/Handle.h"
#include "settings/SettingDlg_win.h"
#include "support/LauncherTestSupport_win.h"
#include "support/NetTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

// Counts the processes a launcher starts from now on: they join its job, as every process it starts does.
class StartedProcesses {
  public:
    explicit StartedProcesses(DWORD launcherPid) : Job(::CreateJobObjectW(nullptr, nullptr)) {
        const UniqueHandle launcher(::OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, launcherPid));
        Joined = Job && launcher && ::AssignProcessToJobObject(Job.get(), launcher.get());
    }
    // Ends whatever is left of them.
    ~StartedProcesses() { ::TerminateJobObject(Job.get(), 0); }
    DWORD Count() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        ::QueryInformationJobObject(Job.get(), JobObjectBasicAccountingInformation, &info, sizeof(info),
                                    nullptr);
        return info.TotalProcesses > 0 ? info.TotalProcesses - 1 : 0; // not the launcher itself
    }

    UniqueHandle Job;
    bool Joined = false;
};

RECT WorkArea() {
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

class Launcher : public ::testing::Test {
  protected:
    void SetUp() override { LogStart = PortalLog().size(); }

    // A launcher whose first login sends `title` and registers its frame.
    void StartWithTab(const std::wstring& title = L"s1服-1-first") {
        ASSERT_TRUE(L.Start(L"login", title, L"tab0.log"));
        ASSERT_NE(Frame0 = PeerFrame(L"tab0.log"), nullptr);
        ASSERT_TRUE(WaitFor([&] { return CountPeerLines(L"tab0.log", L"sound ") > 0; }));
    }
    // Adds a tab through the drop-down's "是"; its frame.
    HWND AddTab(const std::wstring& title, const std::wstring& log) {
        L.AddTab(title, log);
        return PeerFrame(log);
    }
    bool Shown(HWND frame) const { return ::IsWindowVisible(frame) != FALSE; }

    LauncherProcess L;
    HWND Frame0 = nullptr;
    size_t LogStart = 0;
};

TEST_F(Launcher, StartsAsOnePixelAtTheOriginAndStartsTheFirstLoginWithTabNumberZero) {
    ASSERT_TRUE(L.Start(L"waiting", L"s1服-1-waiting", L"start.log"));
    const RECT r = WindowRect(L.Window());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 1);
    EXPECT_EQ(r.bottom - r.top, 1);
    const std::wstring start = WaitForPeerLine(L"start.log", L"start ");
    const std::wstring expected = L" /newgm /" + std::to_wstring(WindowHandleValue(L.Window())) + L" /0";
    EXPECT_NE(start.find(expected), std::wstring::npos) << start;
    // A title whose frame never comes leaves the launcher as it was: no tab, no timer, no tray icon.
    EXPECT_EQ(WaitForPeerLine(L"start.log", L"copydata "), L"copydata 1");
    EXPECT_EQ(WindowRect(L.Window()).right, 1);
}

TEST_F(Launcher, TheHallRegisteringFirstAlsoMaximisesTheLauncher) {
    ASSERT_TRUE(L.Start(L"waiting", L"s1服-1-waiting", L"pre.log"));
    ASSERT_EQ(WaitForPeerLine(L"pre.log", L"copydata "), L"copydata 1");
    ::DeleteFileW((PeerFolder() + L"\\hall.log").c_str());
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    ASSERT_NE(PeerFrame(L"hall.log"), nullptr);
    const RECT work = WorkArea();
    EXPECT_TRUE(WaitFor([&] { return WindowRect(L.Window()).right == work.right; }));
    EXPECT_EQ(WindowRect(L.Window()).bottom, work.bottom);
}

TEST_F(Launcher, ACancelledFirstLoginEndsTheLauncher) {
    L.Start(L"cancel", L"", L"cancel.log"); // it may end before its window is seen
    ASSERT_NE(L.Pid(), 0u);
    EXPECT_TRUE(L.WaitForEnd());
}

// A first login whose process ends after its title and before its frame was cancelled too.
TEST_F(Launcher, AFirstLoginThatEndsWithoutItsFrameEndsTheLauncher) {
    L.Start(L"titleonly", L"s1服-1-lost", L"lost.log"); // it may end before its window is seen
    ASSERT_NE(L.Pid(), 0u);
    EXPECT_EQ(WaitForPeerLine(L"lost.log", L"copydata "), L"copydata 1");
    EXPECT_TRUE(L.WaitForEnd());
}

TEST_F(Launcher, FirstRegistrationMaximisesIntoTheWorkAreaAndTheSoundFlagReachesTheTab) {
    StartWithTab();
    const RECT r = WindowRect(L.Window()), work = WorkArea();
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_TRUE(Shown(Frame0));
    EXPECT_EQ(::GetAncestor(Frame0, GA_PARENT), L.Window());
    // The sound button inverts the flag; the next tick pushes it.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
    EXPECT_FALSE(WaitForPeerLine(L"tab0.log", L"sound 1").empty());
    // The login's report carries the account after the last "-" and the number of titles.
    EXPECT_TRUE(WaitFor([&] { return !LoggedPaths(LogStart, "/login.htm").empty(); }));
    EXPECT_EQ(LoggedPaths(LogStart, "/login.htm"),
              std::vector<std::string>{"/login.htm?tag=zarn&ver=3.0.0.2&uid=first&index=1"});
}

TEST_F(Launcher, TheSameAccountTwiceIsRefusedAndItsLoginEnds) {
    StartWithTab(L"s1服-1-same");
    L.AddTab(L"s1服-1-same", L"dup.log");
    EXPECT_EQ(WaitForPeerLine(L"dup.log", L"copydata "), L"copydata 0");
    EXPECT_FALSE(WaitForPeerLine(L"dup.log", L"end").empty());
    // Its cancel reaches a launcher with a tab: only the pending login is forgotten.
    HWND second = AddTab(L"s1服-1-other", L"other.log");
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(L.Running());
    EXPECT_TRUE(WaitFor([&] { return Shown(second) && !Shown(Frame0); }));
}

TEST_F(Launcher, TheSameAccountIsAcceptedInAnotherLauncherWindow) {
    StartWithTab(L"s1服-1-twice");
    LauncherProcess other;
    ASSERT_TRUE(other.Start(L"login", L"s1服-1-twice", L"other-launcher.log"));
    EXPECT_EQ(WaitForPeerLine(L"other-launcher.log", L"copydata "), L"copydata 1");
}

// What another process sends is read within its size only; anything but a terminated title is refused
// and leaves nothing behind.
TEST_F(Launcher, MalformedTitlesAreRefusedAndStoreNothing) {
    StartWithTab();
    auto send = [&](ULONG_PTR dwData, const void* data, DWORD bytes) {
        COPYDATASTRUCT copy{dwData, bytes, const_cast<void*>(data)};
        DWORD_PTR reply = 7;
        ::SendMessageTimeoutW(L.Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 5000,
                              &reply);
        return reply;
    };
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    EXPECT_EQ(send(0, unterminated, sizeof(unterminated)), 0u) << "no terminating zero within cbData";
    EXPECT_EQ(send(0, L"abc", 5), 0u) << "odd size";
    EXPECT_EQ(send(0, nullptr, 0), 0u) << "nothing";
    EXPECT_EQ(send(0, L"", 2), 0u) << "an empty title";
    EXPECT_EQ(send(0x5A47554C, L"abc", 8), 0u) << "not a login's message";
    const std::wstring tooLong(600, L'x');
    EXPECT_EQ(send(0, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * 2)), 0u);
    // None of them was kept: the same text, now well formed, is a new account.
    EXPECT_EQ(send(0, L"abc", 8), 1u);
    EXPECT_EQ(send(0, L"abc", 8), 0u) << "and now it is open here";
}

TEST_F(Launcher, AFourthTabIsRefusedWithAMessageAndNoProcess) {
    StartWithTab(L"a服-1-one");
    ASSERT_NE(AddTab(L"a服-1-two", L"two.log"), nullptr);
    ASSERT_NE(AddTab(L"a服-1-three", L"three.log"), nullptr);
    L.AddTab(L"a服-1-four", L"four.log");
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"当前窗体只支持3个游戏页");
    LauncherProcess::Answer(box, true);
    EXPECT_TRUE(PeerLog(L"four.log").empty()) << "no process was started";
    EXPECT_TRUE(FileExists(PeerFolder() + L"\\next.txt")) << "its instructions were never read";
}

// Registrations from anything but the launcher's own game processes: a window of this test, the
// desktop, and a stand-in frame and hall that the test started itself (they announce themselves and
// take the launcher as their parent, as game frames do). None becomes a tab or the hall, whatever it
// says it is: the real tab stays shown, the minimum size stays one tab's, and the launcher neither
// passes anything to them nor closes them at its end.
TEST_F(Launcher, OnlyFramesOfItsOwnProcessesRegister) {
    StartWithTab();
    const std::wstring launcher = std::to_wstring(WindowHandleValue(L.Window()));
    const std::wstring peer = TestExeFolder() + L"zarn_gamepeer.exe";
    SetNextPeer(L"frameonly", L"", L"intruder.log");
    const Program tab = StartProgram(peer, L"/newgm /" + launcher + L" /1");
    HWND tabFrame = PeerFrame(L"intruder.log");
    ::DeleteFileW((PeerFolder() + L"\\hall.log").c_str());
    const Program hall = StartProgram(peer, L"/gmhall /" + launcher);
    HWND hallFrame = PeerFrame(L"hall.log");
    ASSERT_TRUE(tabFrame && hallFrame);
    HWND own = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(own, nullptr);
    for (HWND w : {own, ::GetDesktopWindow(), tabFrame, hallFrame})
        for (LPARAM isHall : {0, 1})
            ::PostMessageW(L.Window(), UM_GAMEWINDOWCREATED, reinterpret_cast<WPARAM>(w), isHall);
    // Handled after the registrations: the tabs and the hall are told to reload their keys.
    ::PostMessageW(L.Window(), UM_HOTKEYSCHANGED, 0, 0);
    EXPECT_FALSE(WaitForPeerLine(L"tab0.log", L"reload").empty());
    // Posted after the launcher's posts, so handled after them.
    for (HWND w : {tabFrame, hallFrame})
        ::PostMessageW(w, UM_SOUNDSTATE, 7, 0);
    EXPECT_FALSE(WaitForPeerLine(L"intruder.log", L"sound 7").empty());
    EXPECT_FALSE(WaitForPeerLine(L"hall.log", L"sound 7").empty());
    EXPECT_EQ(CountPeerLines(L"intruder.log", L"reload"), 0u);
    EXPECT_EQ(CountPeerLines(L"hall.log", L"reload"), 0u);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, own, UM_SOUNDSTATE, UM_RELOADHOTKEYS, PM_REMOVE));
    EXPECT_TRUE(Shown(Frame0));
    ::SetWindowPos(L.Window(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(WindowRect(L.Window()).right - WindowRect(L.Window()).left, 672) << "one tab's minimum";

    L.Exit();
    EXPECT_FALSE(WaitForPeerLine(L"tab0.log", L"close 0").empty());
    EXPECT_FALSE(WaitForPeerLine(L"intruder.log", L"end").empty());
    EXPECT_EQ(CountPeerLines(L"intruder.log", L"close"), 0u);
    ::DestroyWindow(own);
    WaitForExit(tab, 10000);
    WaitForExit(hall, 10000);
}

// The launcher acts on its drop-down's answer only, once per showing: the answer's message posted by
// another program starts nothing, whatever it says.
TEST_F(Launcher, OnlyItsOwnDropDownsAnswerStartsAProcessAndOncePerShowing) {
    StartWithTab();
    StartedProcesses started(L.Pid());
    ASSERT_TRUE(started.Joined);
    auto forge = [&] {
        for (int i = 0; i < 5; ++i) {
            ::PostMessageW(L.Window(), UM_ADDACCOUNTCHOICE, 1, 0);
            ::PostMessageW(L.Window(), UM_ADDACCOUNTCHOICE, 0, 0);
        }
    };
    SetNextPeer(L"login", L"s1服-1-second", L"second.log");
    forge();
    HWND drop = L.OpenDropDown();
    ASSERT_NE(drop, nullptr);
    ClickButton(drop, IDOK);
    ClickButton(drop, IDOK);
    ClickButton(drop, IDCANCEL);
    forge();
    ASSERT_NE(PeerFrame(L"second.log"), nullptr);
    // Its first sound state comes with a tick, which waits until everything posted before was handled.
    EXPECT_FALSE(WaitForPeerLine(L"second.log", L"sound ").empty());
    EXPECT_EQ(started.Count(), 1u) << "one process for one answer";
    L.Exit();
}

TEST_F(Launcher, ClosingTabZeroOfThreeWhileTabTwoIsSelectedSelectsTheNewTabZero) {
    StartWithTab(L"c服-1-one");
    HWND one = AddTab(L"c服-1-two", L"c2.log");
    HWND two = AddTab(L"c服-1-three", L"c3.log");
    ASSERT_TRUE(one && two);
    ASSERT_TRUE(WaitFor([&] { return Shown(two) && !Shown(one) && !Shown(Frame0); }));
    L.PostMouse(WM_MBUTTONUP, 150, 10); // middle release anywhere on tab 0
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"确定要退出账号：c服-1-one ?");
    LauncherProcess::Answer(box, true);
    EXPECT_FALSE(WaitForPeerLine(L"tab0.log", L"close 0").empty());
    EXPECT_TRUE(WaitFor([&] { return Shown(one) && !Shown(two); }));
}

TEST_F(Launcher, ClosingTheOnlyTabAsksTheExitQuestionAndYesEndsEverything) {
    StartWithTab();
    L.PostMouse(WM_MBUTTONUP, 200, 12);
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"窗口即将关闭，确定要退出游戏？");
    LauncherProcess::Answer(box, false);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(L.Running()) << "No keeps the launcher";
    L.PostMouse(WM_MBUTTONUP, 200, 12);
    box = L.WaitForBox();
    ASSERT_NE(box, nullptr);
    LauncherProcess::Answer(box, true);
    EXPECT_FALSE(WaitForPeerLine(L"tab0.log", L"close 0").empty());
    EXPECT_TRUE(L.WaitForEnd());
}

TEST_F(Launcher, WithATabTheWindowKeepsItsMinimumSize) {
    StartWithTab();
    ::SetWindowPos(L.Window(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
    const RECT r = WindowRect(L.Window());
    EXPECT_EQ(r.right - r.left, 672);
    EXPECT_EQ(r.bottom - r.top, 260);
}

TEST_F(Launcher, EscAndSpaceAreSwallowedF5AndCtrlDGoToTheShownTab) {
    StartWithTab();
    ::PostMessageW(L.Window(), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(L.Window(), WM_KEYDOWN, VK_SPACE, 1);
    ::PostMessageW(L.Window(), WM_KEYDOWN, VK_F5, 0x003F0001);
    ::PostMessageW(L.Window(), WM_CHAR, 4, 0x00200001);
    EXPECT_EQ(WaitForPeerLine(L"tab0.log", L"keydown "), L"keydown 116 4128769");
    EXPECT_EQ(WaitForPeerLine(L"tab0.log", L"char "), L"char 4 2097153");
    EXPECT_EQ(CountPeerLines(L"tab0.log", L"keydown 27"), 0u);
    EXPECT_EQ(CountPeerLines(L"tab0.log", L"keydown 32"), 0u);
    EXPECT_EQ(L.WaitForBox(nullptr, 500), nullptr) << "Esc asks nothing";
}

// Saved settings reach every running launcher, and each passes them on to its tabs and its hall.
TEST(LauncherSettings, NewHotKeysReachEveryLauncherWithItsTabsAndHall) {
    LauncherProcess first, second;
    ASSERT_TRUE(first.Start(L"login", L"r服-1-one", L"r1.log"));
    ASSERT_NE(PeerFrame(L"r1.log"), nullptr);
    ASSERT_TRUE(second.Start(L"login", L"r服-1-two", L"r2.log"));
    ASSERT_NE(PeerFrame(L"r2.log"), nullptr);
    ::DeleteFileW((PeerFolder() + L"\\hall.log").c_str());
    ::PostMessageW(second.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    ASSERT_NE(PeerFrame(L"hall.log"), nullptr);
    EXPECT_GE(CSettingDlg::NotifyHotKeysChanged(), 2);
    for (const wchar_t* log : {L"r1.log", L"r2.log", L"hall.log"})
        EXPECT_FALSE(WaitForPeerLine(log, L"reload").empty()) << log;
}

} // namespace
