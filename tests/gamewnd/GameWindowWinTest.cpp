// The game window under Wine with real processes of the program only: the launcher started as the
// program is, its "/newgm" logins and their frames, the hall and its entergame links, and the ways a
// game process ends. No page completes under Wine, so the tests complete pages with the test build's
// browser commands; window state is read through window APIs (Wine does not draw windows reparented
// from another process).
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/Program_win.h"
#include "dialogs/FavDlg_win.h"
#include "framework/CodePage.h"
#include "protocol/ProgramMessages.h"
#include "framework/HtmlDialog.h"
#include "launcher/Plexo3Dlg_win.h"
#include "support/BrowserTestSupport_win.h"
#include "support/LauncherTestSupport_win.h"
#include "support/NetTestSupport_win.h"
#include "support/SetupTestSupport_win.h"
#include "testbuild/BrowserTestCommands_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

DWORD PidOf(HWND w) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return pid;
}

struct TopSearch {
    std::set<DWORD> Skip;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchNewLoginPage(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TopSearch*>(p);
    if (s->Skip.count(PidOf(w)) || !::GetPropW(w, testbuild::PageDialogProperty))
        return TRUE;
    s->Found = w;
    return FALSE;
}

// A login page (of the test build) of a process not yet seen.
HWND FindNewLoginPage(const std::set<DWORD>& seen) {
    TopSearch search{seen};
    ::EnumWindows(MatchNewLoginPage, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// A system box of the process with the given title (the skinned message box is titled by its caption).
HWND FindTitled(DWORD pid, const std::wstring& title) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); w;
         w = ::FindWindowExW(nullptr, w, nullptr, title.c_str()))
        if (PidOf(w) == pid && ::IsWindowVisible(w))
            return w;
    return nullptr;
}

// The process's lines of the test build's notes file, without the process id.
class Notes {
  public:
    Notes() : Path_(TestStateFolder() + L"\\gamewnd-notes.txt") { ::DeleteFileW(Path_.c_str()); }
    const std::wstring& Path() const { return Path_; }

    std::vector<std::wstring> Of(DWORD pid) const {
        const std::wstring prefix = std::to_wstring(pid) + L" ";
        std::vector<std::wstring> lines;
        for (const std::wstring& line : FileLines(Path_))
            if (line.compare(0, prefix.size(), prefix) == 0)
                lines.push_back(line.substr(prefix.size()));
        return lines;
    }
    size_t Count(DWORD pid, const std::wstring& line) const {
        size_t n = 0;
        for (const auto& l : Of(pid))
            n += l == line;
        return n;
    }
    bool WaitFor(DWORD pid, const std::wstring& line, DWORD timeoutMs = 20000) const {
        return test::WaitFor([&] { return Count(pid, line) > 0; }, timeoutMs);
    }

  private:
    std::wstring Path_;
};

// One game-window process of the program.
struct Game {
    DWORD Pid = 0;
    UniqueHandle Process;
    HWND Frame = nullptr;
    HWND View = nullptr;

    bool Ended(DWORD timeoutMs = 10000) const {
        return Process && ::WaitForSingleObject(Process.get(), timeoutMs) == WAIT_OBJECT_0;
    }
};

// The launcher started as the program is, playing its game windows with the program itself (not the
// tests' stand-in), and a notes file its processes write to. Every process of the installed program
// still running at the end is ended.
class GameWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t value[1024] = {};
        ::GetEnvironmentVariableW(L"ZARN_TEST_GAME_PROGRAM", value, 1024);
        SavedGameProgram = value;
        ::SetEnvironmentVariableW(L"ZARN_TEST_GAME_PROGRAM", nullptr);
        ::SetEnvironmentVariableW(L"ZARN_TEST_NOTES", N.Path().c_str());
        LogStart = PortalLog().size();
    }
    void TearDown() override {
        for (DWORD pid : ProcessesOf(InstallFolder() + L"\\Zarn.exe"))
            if (pid != L.Pid())
                EndProcess(pid);
        // Without an HTML engine, Wine has a process that loads one start "control.exe appwiz.cpl
        // install_gecko" and wait for it; when the test killed that process, the offer stays behind
        // and holds the test's output open.
        for (DWORD pid : ProcessesNamed(L"control.exe"))
            EndProcess(pid);
        ::SetEnvironmentVariableW(L"ZARN_TEST_GAME_PROGRAM", SavedGameProgram.c_str());
        ::SetEnvironmentVariableW(L"ZARN_TEST_NOTES", nullptr);
    }

    void StartLauncher() {
        ASSERT_TRUE(L.Start(L"cancel", L"", L"unused.log"));
        Seen.insert(L.Pid());
    }

    // Logs the next login page in as the account (title "5服-双线-<account>") and returns its process.
    Game LogIn(const std::wstring& account) {
        Game game;
        HWND page = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (page = FindNewLoginPage(Seen)) != nullptr; }, 30000));
        if (!page)
            return game;
        game.Pid = PidOf(page);
        game.Process.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, game.Pid));
        Seen.insert(game.Pid);
        BrowserCommand(page, L"complete", PortalUrl(L"/zarn/client/index.html?cid=4224"));
        BrowserCommand(page, L"navigate", L"app://loadgame/S5服-《雷霆》双线-" + account + L"|" + GameUrl());
        return game;
    }
    // Waits for the game's frame to become a child of the launcher.
    bool WaitForFrame(Game& game) {
        return WaitFor(
            [&] {
                game.Frame = FrameOf(game.Pid);
                game.View = game.Frame ? ::FindWindowExW(game.Frame, nullptr, L"ZarnView", nullptr) : nullptr;
                return game.View != nullptr;
            },
            30000);
    }
    HWND FrameOf(DWORD pid) const {
        for (HWND w = ::FindWindowExW(L.Window(), nullptr, L"ZarnFrame", nullptr); w;
             w = ::FindWindowExW(L.Window(), w, L"ZarnFrame", nullptr))
            if (PidOf(w) == pid)
                return w;
        return nullptr;
    }
    // The hall's process, once its frame is the launcher's child.
    bool WaitForHall(Game& hall) {
        return WaitFor(
            [&] {
                for (HWND w = ::FindWindowExW(L.Window(), nullptr, L"ZarnFrame", nullptr); w;
                     w = ::FindWindowExW(L.Window(), w, L"ZarnFrame", nullptr))
                    if (!Seen.count(PidOf(w))) {
                        hall.Frame = w;
                        hall.Pid = PidOf(w);
                        hall.View = ::FindWindowExW(w, nullptr, L"ZarnView", nullptr);
                        hall.Process.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, hall.Pid));
                        Seen.insert(hall.Pid);
                        return hall.View != nullptr;
                    }
                return false;
            },
            30000);
    }
    // One logged-in tab whose first sound state has been applied.
    void StartWithTab(Game& game, const std::wstring& account = L"abc") {
        StartLauncher();
        game = LogIn(account);
        ASSERT_TRUE(WaitForFrame(game));
        ASSERT_TRUE(N.WaitFor(game.Pid, L"muted 0"));
    }
    static std::wstring GameUrl() { return PortalUrl(L"/zarn/game.html?server=5"); }

    Notes N;
    LauncherProcess L;
    std::set<DWORD> Seen;
    size_t LogStart = 0;
    std::wstring SavedGameProgram;
};

bool Shown(HWND w) {
    return ::IsWindowVisible(w) != FALSE;
}

TEST_F(GameWindow, TheRoadOfLoginsTabsAndTheHallUpToTheLaunchersExit) {
    StartLauncher();
    Game first = LogIn(L"abc");
    ASSERT_TRUE(WaitForFrame(first));
    // The frame dropped its border, became a tool window and the launcher's child, hidden until shown.
    EXPECT_EQ(::GetAncestor(first.Frame, GA_PARENT), L.Window());
    EXPECT_EQ(::GetWindowLongPtrW(first.Frame, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    const LONG_PTR ex = ::GetWindowLongPtrW(first.Frame, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE));
    EXPECT_FALSE(::GetWindowLongPtrW(first.View, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(WaitFor([&] {
        wchar_t title[32] = {};
        ::GetWindowTextW(first.Frame, title, 32);
        return std::wstring(title) == L"MirelCorvale";
    }));
    // The launcher maximised into the work area, reported the login, and its timer's sound state
    // reached the frame.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowRect(L.Window()).right == work.right; }));
    EXPECT_TRUE(WaitFor([&] { return !LoggedPaths(LogStart, "/login.htm").empty(); }));
    EXPECT_EQ(LoggedPaths(LogStart, "/login.htm"),
              std::vector<std::string>{"/login.htm?tag=zarn&ver=3.0.0.2&uid=abc&index=1"});
    EXPECT_TRUE(N.WaitFor(first.Pid, L"muted 0"));
    EXPECT_EQ(N.Count(first.Pid, L"hotkeys 121 9 81"), 1u) << "F10, Ctrl+Tab and Ctrl+Q";

    // The completed page puts the frame into the launcher's game area and shows it.
    EXPECT_FALSE(Shown(first.Frame));
    BrowserCommand(first.View, L"complete", GameUrl());
    RECT client{};
    ::GetClientRect(L.Window(), &client);
    EXPECT_TRUE(WaitFor([&] {
        RECT r = WindowRect(first.Frame);
        ::MapWindowPoints(HWND_DESKTOP, L.Window(), reinterpret_cast<POINT*>(&r), 2);
        return r.left == 4 && r.top == 30 && r.right == client.right - 4 && r.bottom == client.bottom - 4 &&
               Shown(first.Frame);
    }));

    // A second account in the same window: its tab is shown, the first hidden.
    ClickButton(L.OpenDropDown(), IDOK); // "是"
    Game second = LogIn(L"bob");
    ASSERT_TRUE(WaitForFrame(second));
    BrowserCommand(second.View, L"complete", GameUrl());
    EXPECT_TRUE(WaitFor([&] { return Shown(second.Frame) && !Shown(first.Frame); }));
    EXPECT_TRUE(WaitFor([&] { return LoggedPaths(LogStart, "/login.htm").size() == 2; }));
    EXPECT_EQ(LoggedPaths(LogStart, "/login.htm").back(), "/login.htm?tag=zarn&ver=3.0.0.2&uid=bob&index=2");

    // New settings reach the launcher, which passes them on to its tabs; the switch key pressed in a
    // frame goes to the launcher, which switches tabs.
    WriteStatistic(L"AltWndKey", L"0,114");
    ::PostMessageW(L.Window(), UM_HOTKEYSCHANGED, 0, 0);
    EXPECT_TRUE(N.WaitFor(first.Pid, L"hotkeys 121 114 81"));
    EXPECT_TRUE(N.WaitFor(second.Pid, L"hotkeys 121 114 81"));
    ::PostMessageW(second.Frame, WM_KEYDOWN, VK_F3, 0x003D0001);
    EXPECT_TRUE(WaitFor([&] { return Shown(first.Frame) && !Shown(second.Frame); }));
    ::PostMessageW(first.Frame, WM_KEYDOWN, VK_F3, 0x003D0001);
    EXPECT_TRUE(WaitFor([&] { return Shown(second.Frame) && !Shown(first.Frame); }));
    WriteStatistic(L"AltWndKey", L"2,9");
    ::PostMessageW(L.Window(), UM_HOTKEYSCHANGED, 0, 0);

    // The same account again is refused: the login says so and its process ends without a frame.
    ClickButton(L.OpenDropDown(), IDOK); // "是"
    Game again = LogIn(L"abc");
    ASSERT_TRUE(again.Process);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w = ::FindWindowExW(nullptr, nullptr, nullptr, L"MirelCorvale"); w;
             w = ::FindWindowExW(nullptr, w, nullptr, L"MirelCorvale"))
            if (PidOf(w) == again.Pid && ::IsWindowVisible(w) &&
                StaticTexts(w).find(L"abc") != std::wstring::npos)
                box = w;
        return box != nullptr;
    }));
    EXPECT_NE(StaticTexts(box).find(L"账号 abc 已在 5服 登录"), std::wstring::npos);
    ClickButton(box, 5000);
    EXPECT_TRUE(again.Ended());
    EXPECT_EQ(FrameOf(again.Pid), nullptr);

    // The hall button: a "/gmhall" process registers as the hall and is shown; pressed again, it is
    // hidden and the selected tab comes back.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    Game hall;
    ASSERT_TRUE(WaitForHall(hall));
    BrowserCommand(hall.View, L"complete", PortalUrl(L"/webgame.htm"));
    EXPECT_TRUE(WaitFor([&] { return Shown(hall.Frame) && !Shown(second.Frame) && !Shown(first.Frame); }));
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !Shown(hall.Frame) && Shown(second.Frame); }));

    // Closing the second tab (a middle click on it, and 是) ends its process.
    L.PostMouse(WM_MBUTTONUP, 400, 12); // tab 1
    box = L.WaitForBox();
    ASSERT_NE(box, nullptr);
    LauncherProcess::Answer(box, true);
    EXPECT_TRUE(second.Ended());
    EXPECT_TRUE(WaitFor([&] { return Shown(first.Frame); }));

    // The launcher's exit ends every process of the program.
    L.Exit();
    EXPECT_TRUE(first.Ended());
    EXPECT_TRUE(hall.Ended());
    EXPECT_TRUE(WaitFor([] { return ProcessesOf(InstallFolder() + L"\\Zarn.exe").empty(); }));
}

TEST_F(GameWindow, AGameProcessEndsByItselfWhenTheLaunchersWindowIsGone) {
    Game game;
    StartWithTab(game);
    EndProcess(L.Pid());
    EXPECT_TRUE(game.Ended(5000));
}

// A login that ends without a word (here it is killed) counts as a cancelled one: the first ends the
// launcher, which would otherwise wait for ever as a disabled 1 x 1 window with its keyboard hook.
TEST_F(GameWindow, AKilledFirstLoginEndsTheLauncher) {
    StartLauncher();
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (page = FindNewLoginPage(Seen)) != nullptr; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(L.Window()); })) << "the login is modal on it";
    EndProcess(PidOf(page));
    EXPECT_TRUE(L.WaitForEnd(20000));
}

// A process that ends with a modal window over the launcher cannot enable it again: a later login
// killed, and the hall killed while its favourites dialog is open. The launcher enables itself and goes
// on with its tab.
TEST_F(GameWindow, AProcessKilledWithAWindowOverTheLauncherLeavesItEnabled) {
    Game game;
    StartWithTab(game);
    ClickButton(L.OpenDropDown(), IDOK); // "是"
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (page = FindNewLoginPage(Seen)) != nullptr; }, 30000));
    const DWORD login = PidOf(page);
    Seen.insert(login);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(L.Window()); }));
    EndProcess(login);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(L.Window()) != FALSE; }));

    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    Game hall;
    ASSERT_TRUE(WaitForHall(hall));
    ::PostMessageW(hall.Frame, WM_CHAR, 4, 0x00200001); // Ctrl+D
    ASSERT_TRUE(WaitFor([&] { return FindTitled(hall.Pid, L"添加收藏") != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(L.Window()); }));
    EndProcess(hall.Pid);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(L.Window()) != FALSE; }));
    EXPECT_TRUE(L.Running());
    EXPECT_EQ(FrameOf(game.Pid), game.Frame) << "the tab stays";
}

// The boss key hides the favourites dialog a tab opened over the launcher, in the tab's own process, and
// brings it back as it was.
TEST_F(GameWindow, TheBossKeyHidesAndRestoresATabsDialog) {
    Game game;
    StartWithTab(game);
    ::PostMessageW(game.Frame, WM_CHAR, 4, 0x00200001); // Ctrl+D
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindTitled(game.Pid, L"添加收藏")) != nullptr; }));
    const auto bossKey = [&] {
        ::PostMessageW(L.Window(), CPlexo3Dlg::UM_HOTKEYPRESSED, CPlexo3Dlg::BossKeyAction, 0);
    };
    bossKey();
    EXPECT_TRUE(WaitFor([&] { return !Shown(L.Window()) && !Shown(dialog); }));
    bossKey();
    EXPECT_TRUE(WaitFor([&] { return Shown(L.Window()) && Shown(dialog); }));
    EXPECT_FALSE(::IsWindowEnabled(L.Window())) << "the dialog still holds the launcher";
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog) && ::IsWindowEnabled(L.Window()); }));
}

TEST_F(GameWindow, WithoutALauncherWindowTheHallEndsAtItsFirstWatch) {
    const Program hall = StartProgram(ZarnTestBuildExe(), L"/gmhall /12345");
    ASSERT_TRUE(hall.Process);
    EXPECT_TRUE(WaitForExit(hall, 10000));
}

TEST_F(GameWindow, ABrowserBoxThatWouldBlockTheCloseIsDestroyed) {
    Game game;
    StartWithTab(game);
    // The page opens a modal box while it is being torn down, as an unload handler may.
    BrowserCommand(game.View, L"boxonclose", L"来自网页的消息");
    ::PostMessageW(game.Frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(game.Ended(10000));
    EXPECT_EQ(N.Count(game.Pid, L"box destroyed"), 1u);
}

// Ctrl+D in the frame opens the favourites dialog with the page's title and address; 收藏 writes them.
std::string SaveFavourite(DWORD pid, const std::wstring& expectedName) {
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = FindTitled(pid, L"添加收藏")) != nullptr; }));
    if (!dialog)
        return {};
    wchar_t name[256] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, 1018), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(name),
                          SMTO_NORMAL, 5000, &copied);
    EXPECT_EQ(std::wstring(name), expectedName);
    ClickButton(dialog, IDOK);
    const std::wstring file = FavoritesFolder() + L"\\" + expectedName + L".url";
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog) && FileExists(file); }));
    const std::string bytes = ReadFileBytes(file);
    ::DeleteFileW(file.c_str());
    return bytes;
}

std::string Ansi(const std::wstring& text) {
    return ToCodePage(text, CP_ACP).value_or(std::string());
}

// Whether window a lies above window b among the top-level windows.
bool Above(HWND a, HWND b) {
    for (HWND w = ::GetWindow(b, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV))
        if (w == a)
            return true;
    return false;
}

TEST_F(GameWindow, CtrlDAndF5InTheFrame) {
    Game game;
    StartWithTab(game);
    // Before any page finished: an empty name and an empty address.
    ::PostMessageW(game.Frame, WM_CHAR, 4, 0x00200001);
    EXPECT_EQ(SaveFavourite(game.Pid, L""),
              "[DEFAULT]\r\nBASEURL=\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n"
              "=19,2\r\n[InternetShortcut]\r\nURL=\r\nIDList=\r\n");
    BrowserCommand(game.View, L"title", L"Zarn - 5服");
    BrowserCommand(game.View, L"complete", GameUrl());
    ::PostMessageW(game.Frame, WM_CHAR, 4, 0x00200001);
    const std::string address = Ansi(GameUrl());
    EXPECT_EQ(SaveFavourite(game.Pid, L"Zarn - 5服"),
              "[DEFAULT]\r\nBASEURL=" + address +
                  "\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n"
                  "[InternetShortcut]\r\nURL=" +
                  address + "\r\nIDList=\r\n");
    // A click into the frame raises the launcher over another program in front shortly afterwards,
    // without activating it or leaving it topmost.
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 100, 100,
                                         300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return Above(other, L.Window()); }));
    ::PostMessageW(game.Frame, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(L.Window()),
                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_TRUE(N.WaitFor(game.Pid, L"raised"));
    EXPECT_TRUE(WaitFor([&] { return Above(L.Window(), other); }));
    // The raise goes topmost and back, each step queued to the launcher's thread: it ends not topmost.
    EXPECT_TRUE(WaitFor([&] { return !(::GetWindowLongPtrW(L.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST); }));
    EXPECT_EQ(::GetForegroundWindow(), other);
    ::DestroyWindow(other);
    // F5 reloads; with the boss key on plain F5 only the program's own F5 (6021) does.
    ::PostMessageW(game.Frame, WM_KEYDOWN, VK_F5, 0x003F0001);
    EXPECT_TRUE(N.WaitFor(game.Pid, L"reload"));
    WriteStatistic(L"ShortKey", L"0,116");
    ::PostMessageW(game.Frame, UM_RELOADHOTKEYS, 0, 0);
    EXPECT_TRUE(N.WaitFor(game.Pid, L"hotkeys 116 9 81"));
    ::PostMessageW(game.Frame, WM_KEYDOWN, VK_F5, 0x003F0001);
    ::PostMessageW(game.Frame, WM_KEYDOWN, VK_F5, ProgramMadeMark);
    ::PostMessageW(game.Frame, UM_RELOADHOTKEYS, 0, 0); // noted once both keys were handled
    EXPECT_TRUE(WaitFor([&] { return N.Count(game.Pid, L"hotkeys 116 9 81") == 2; }));
    EXPECT_EQ(N.Count(game.Pid, L"reload"), 2u) << "the real F5 with F5 as the boss key did nothing";
    WriteStatistic(L"ShortKey", L"0,121");
}

TEST_F(GameWindow, TheSameSoundStateTwiceIsAppliedOnce) {
    Game game;
    StartWithTab(game);
    // The launcher's timer keeps sending 0: it was applied once, and a 1 then a 0 each apply.
    ::PostMessageW(game.Frame, UM_SOUNDSTATE, 1, 0);
    EXPECT_TRUE(N.WaitFor(game.Pid, L"muted 1"));
    EXPECT_TRUE(WaitFor([&] { return N.Count(game.Pid, L"muted 0") == 2; }));
    const std::vector<std::wstring> lines = N.Of(game.Pid);
    size_t applied = 0;
    for (const auto& line : lines)
        applied += line.rfind(L"muted ", 0) == 0;
    EXPECT_EQ(applied, 3u);
}

TEST_F(GameWindow, TheHallsEntergameLinksStartALauncherOfferTheDownloadOrRefuse) {
    StartLauncher();
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    Game hall;
    ASSERT_TRUE(WaitForHall(hall));
    // A code whose launcher is installed starts it with no arguments.
    BrowserCommand(hall.View, L"navigate", L"app://entergame|zarn");
    EXPECT_TRUE(N.WaitFor(hall.Pid, L"launch " + InstallFolder() + L"\\Zarn.exe"));
    // A code with nothing installed asks; declining opens the address the link gave.
    BrowserCommand(hall.View, L"navigate", L"app://entergame|zarn2/|" + PortalUrl(L"/zarn2/"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindTitled(hall.Pid, L"Mirel游戏大厅")) != nullptr; }));
    EXPECT_NE(StaticTexts(box).find(L"下载Mirel登录器"), std::wstring::npos);
    ClickButton(box, 5001);
    EXPECT_TRUE(N.WaitFor(hall.Pid, L"open " + PortalUrl(L"/zarn2/")));
    // Accepting runs the client download for the code: its configuration page is fetched.
    BrowserCommand(hall.View, L"navigate", L"app://entergame|zarn2");
    ASSERT_TRUE(WaitFor([&] { return (box = FindTitled(hall.Pid, L"Mirel游戏大厅")) != nullptr; }));
    ClickButton(box, 5000);
    HWND download = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (download = FindTitled(hall.Pid, L"下载失败")) != nullptr; }))
        << "the stand-in has no client file at the address it publishes";
    EXPECT_EQ(LoggedPaths(LogStart, "/update/ConfigZarn2.htm").size(), 1u);
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn2.exe").size(), 1u);
    ::PostMessageW(download, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(download); }));
    // Codes that could name another file are refused without a question.
    BrowserCommand(hall.View, L"navigate", L"app://entergame|..\\..\\Windows\\notepad");
    BrowserCommand(hall.View, L"navigate", L"app://entergame|");
    EXPECT_TRUE(WaitFor([&] { return N.Count(hall.Pid, L"entergame refused") == 2; }));
    EXPECT_EQ(FindTitled(hall.Pid, L"Mirel游戏大厅"), nullptr);
}

} // namespace
