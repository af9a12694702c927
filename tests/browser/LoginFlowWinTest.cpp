// The "/newgm" login of the test build under Wine against a stand-in launcher window: the backdrop,
// the login page, its app: commands, the WM_COPYDATA question (answered 1 or 0, or not at all by a
// hung launcher), SC_CLOSE/6021, the QQ and Weibo sign-in windows, the cookie watch and the sweep
// timer. The test build's page dialogs take "navigate", "complete", "cookie", "httponlycookie" and
// "box" commands (testbuild/BrowserTestCommands_win.h), which stand in for what the missing HTML engine
// would do.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BuildHosts.h"
#include "app/Program_win.h"
#include "support/BrowserTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "testbuild/BrowserTestCommands_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

constexpr ULONG_PTR GameUrlReport = 0x5A47554C;

// What the stand-in launcher saw.
struct LauncherLog {
    LRESULT Answer = 1;
    std::vector<std::wstring> Accounts;
    bool GameUrlReported = false;
    std::wstring GameUrl;
    int SysCommands = 0;
    WPARAM SysCommand = 0;
    LPARAM SysCommandMark = 0;
    bool Minimized = false;
};
LauncherLog Log;

LRESULT CALLBACK StandInProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        const std::wstring text(static_cast<const wchar_t*>(data->lpData),
                                data->cbData / sizeof(wchar_t) ? data->cbData / sizeof(wchar_t) - 1 : 0);
        if (data->dwData == GameUrlReport) {
            Log.GameUrlReported = true;
            Log.GameUrl = text;
            return 1;
        }
        Log.Accounts.push_back(text);
        return Log.Answer;
    }
    case WM_SYSCOMMAND:
        ++Log.SysCommands;
        Log.SysCommand = w;
        Log.SysCommandMark = l;
        return 0;
    case WM_SIZE:
        if (w == SIZE_MINIMIZED)
            Log.Minimized = true;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(wnd, msg, w, l);
}

// A visible window standing in for the launcher, answering as Log says.
class StandInLauncher {
  public:
    StandInLauncher() {
        Log = LauncherLog{};
        WNDCLASSW wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZarnTestStandInLauncher";
        ::RegisterClassW(&wc);
        Wnd = ::CreateWindowW(wc.lpszClassName, L"stand-in launcher", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~StandInLauncher() { ::DestroyWindow(Wnd); }
    HWND Wnd;
};

// A stand-in launcher on a thread of its own that stops taking messages when told, as a hung launcher
// does, until it is stopped; then it handles what waited and its thread ends, so that Log can be read.
class HangingLauncher {
  public:
    HangingLauncher() : Release(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        Log = LauncherLog{};
        UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        Thread = std::thread([this, &ready] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = StandInProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZarnTestHangingLauncher";
            ::RegisterClassW(&wc);
            Wnd = ::CreateWindowW(wc.lpszClassName, L"hanging launcher", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
            ThreadId = ::GetCurrentThreadId();
            ::SetEvent(ready.get());
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!msg.hwnd && msg.message == HangMessage) {
                    ::WaitForSingleObject(Release.get(), INFINITE);
                    continue;
                }
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            ::DestroyWindow(Wnd);
        });
        ::WaitForSingleObject(ready.get(), 10000);
    }
    ~HangingLauncher() { Stop(); }

    // Returns once the window's thread no longer answers.
    bool Hang() const {
        ::PostThreadMessageW(ThreadId, HangMessage, 0, 0);
        return PumpUntilHung();
    }
    void Stop() {
        if (!Thread.joinable())
            return;
        ::SetEvent(Release.get());
        ::PostThreadMessageW(ThreadId, WM_QUIT, 0, 0); // after everything already queued
        Thread.join();
    }

    HWND Wnd = nullptr;

  private:
    static constexpr UINT HangMessage = WM_APP + 0x60;
    bool PumpUntilHung() const;
    UniqueHandle Release;
    DWORD ThreadId = 0;
    std::thread Thread;
};

// Pumps this thread's messages until `done` holds; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

bool HangingLauncher::PumpUntilHung() const {
    return PumpUntil([&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(Wnd, WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer) == 0;
    });
}

std::wstring TitleOf(HWND wnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(wnd, text, 256);
    return text;
}

struct Search {
    DWORD Pid;
    std::function<bool(HWND)> Match;
    std::vector<HWND> Found;
};

BOOL CALLBACK Collect(HWND wnd, LPARAM l) {
    auto* search = reinterpret_cast<Search*>(l);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == search->Pid && search->Match(wnd))
        search->Found.push_back(wnd);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid, const std::function<bool(HWND)>& match) {
    Search search{pid, match, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The page dialog of the process whose owner has this title.
HWND PageOwnedBy(DWORD pid, const std::wstring& ownerTitle) {
    const std::vector<HWND> pages = WindowsOf(pid, [&](HWND w) {
        return ::GetPropW(w, testbuild::PageDialogProperty) != nullptr &&
               TitleOf(::GetWindow(w, GW_OWNER)) == ownerTitle;
    });
    return pages.empty() ? nullptr : pages.front();
}

std::vector<HWND> VisibleTitled(DWORD pid, const std::wstring& title) {
    return WindowsOf(pid, [&](HWND w) { return ::IsWindowVisible(w) && TitleOf(w) == title; });
}

std::wstring SignIn(const std::wstring& pathAndQuery) {
    return std::wstring(L"http://") + build::SignInHost + pathAndQuery;
}

// One "/newgm" process of the test build with its login page found and shown.
class LoginProcess {
  public:
    LoginProcess(HWND launcher, int ordinal) {
        Process =
            StartProgram(ZarnTestBuildExe(), L"/newgm /" + std::to_wstring(WindowHandleValue(launcher)) +
                                                 L" /" + std::to_wstring(ordinal));
    }
    ~LoginProcess() { Kill(Process); }

    // Finds the login page (owned by the backdrop) and completes its first navigation.
    bool ShowPage() { return FindPage() && CompletePage(); }
    bool FindPage() {
        if (!PumpUntil([&] { return (Page = PageOwnedBy(Process.Pid, L"MirelCorvale")) != nullptr; }))
            return false;
        Backdrop = ::GetWindow(Page, GW_OWNER);
        HiddenAtFirst = !::IsWindowVisible(Page);
        return true;
    }
    bool CompletePage() {
        BrowserCommand(Page, L"complete", PortalUrl(L"/zarn/client/index.html?cid=4224"));
        return PumpUntil([&] { return ::IsWindowVisible(Page) != FALSE; });
    }
    void Navigate(const std::wstring& url) { BrowserCommand(Page, L"navigate", url); }
    bool Ended(DWORD timeoutMs = 30000) {
        return PumpUntil([&] { return ::WaitForSingleObject(Process.Process.get(), 0) == WAIT_OBJECT_0; },
                         timeoutMs);
    }

    Program Process;
    HWND Page = nullptr;
    HWND Backdrop = nullptr;
    bool HiddenAtFirst = false;
};

// Every message posted to this thread before now has been handled.
void DrainPosted(HWND wnd) {
    static bool seen;
    seen = false;
    const UINT marker = ::RegisterWindowMessageW(L"ZarnTestDrainMarker");
    ::PostMessageW(wnd, marker, 0, 0);
    PumpUntil([&] {
        MSG msg;
        if (::PeekMessageW(&msg, wnd, marker, marker, PM_REMOVE))
            seen = true;
        return seen;
    });
}

// After an accepted login the process goes on as the game window: the login's page is gone and the
// game frame has become the launcher's child.
bool WentOnAsGameWindow(LoginProcess& login, const StandInLauncher& launcher) {
    return PumpUntil([&] {
               return !::IsWindow(login.Page) &&
                      ::FindWindowExW(launcher.Wnd, nullptr, L"ZarnFrame", nullptr) != nullptr;
           }) &&
           ::WaitForSingleObject(login.Process.Process.get(), 0) == WAIT_TIMEOUT;
}

TEST(LoginFlow, AnAcceptedLoadGameHandsTheGameUrlToTheGameWindow) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.Process.Process);
    ASSERT_TRUE(login.ShowPage());
    EXPECT_TRUE(login.HiddenAtFirst) << "the page shows only once a navigation completed";
    // The backdrop takes the picture's size, and the page lies exactly over it.
    RECT back{};
    RECT page{};
    ::GetWindowRect(login.Backdrop, &back);
    ::GetWindowRect(login.Page, &page);
    EXPECT_EQ(back.right - back.left, 851);
    EXPECT_EQ(back.bottom - back.top, 521);
    EXPECT_TRUE(::EqualRect(&back, &page));
    EXPECT_TRUE(::GetWindowLongPtrW(login.Backdrop, GWL_EXSTYLE) & WS_EX_LAYERED);

    const std::wstring game = PortalUrl(L"/zarn/game.html?server=5");
    login.Navigate(L"app://loadgame/S5服-《雷霆》双线-abc|" + game);
    ASSERT_TRUE(PumpUntil([] { return Log.GameUrlReported; }));
    ASSERT_EQ(Log.Accounts.size(), 1u);
    EXPECT_EQ(Log.Accounts[0], L"5服-双线-abc");
    EXPECT_EQ(Log.GameUrl, game);
    EXPECT_TRUE(WentOnAsGameWindow(login, launcher));
    DrainPosted(launcher.Wnd);
    EXPECT_EQ(Log.SysCommands, 0) << "an accepted login does not tell the launcher it was cancelled";
}

TEST(LoginFlow, AnEscapedPayloadWithoutGameUrlSendsTheDecodedTextAndAnEmptyGameUrl) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(L"app://loadgame/S7%E6%9C%8D-%E5%8F%8C%E7%BA%BF-bob|");
    ASSERT_TRUE(PumpUntil([] { return Log.GameUrlReported; }));
    ASSERT_EQ(Log.Accounts.size(), 1u);
    EXPECT_EQ(Log.Accounts[0], L"7服-双线-bob");
    EXPECT_EQ(Log.GameUrl, L"");
    EXPECT_TRUE(WentOnAsGameWindow(login, launcher));
}

TEST(LoginFlow, NoBarSendsTheBareSeparators) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(L"app://loadgame/abc");
    ASSERT_TRUE(PumpUntil([] { return Log.GameUrlReported; }));
    ASSERT_EQ(Log.Accounts.size(), 1u);
    EXPECT_EQ(Log.Accounts[0], L"服--");
    EXPECT_EQ(Log.GameUrl, L"");
    EXPECT_TRUE(WentOnAsGameWindow(login, launcher));
}

TEST(LoginFlow, ARefusedLoadGameNamesAccountAndServerThenCancels) {
    StandInLauncher launcher;
    Log.Answer = 0;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(L"app://loadgame/S5服-《雷霆》双线-abc|" + PortalUrl(L"/zarn/game.html?server=5"));
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        for (HWND w : VisibleTitled(login.Process.Pid, L"MirelCorvale"))
            if (w != login.Backdrop)
                box = w;
        return box != nullptr;
    }));
    EXPECT_NE(StaticTexts(box).find(L"账号 abc 已在 5服 登录，同一账号不能在一服重复登录"),
              std::wstring::npos)
        << StaticTexts(box).size();
    ClickButton(box, 5000);
    ASSERT_TRUE(PumpUntil([] { return Log.SysCommands > 0; }));
    EXPECT_EQ(Log.SysCommand, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(Log.SysCommandMark, 6021);
    EXPECT_TRUE(login.Ended());
    EXPECT_FALSE(Log.GameUrlReported);
}

// A launcher that does not answer cannot hang its login: the account's question waits a few seconds and
// counts as a refusal, after which the login ends (without claiming that the account is taken) while
// the launcher still hangs; it hears of the cancel once it takes messages again.
TEST(LoginFlow, ALauncherThatDoesNotAnswerTheAccountCountsAsRefusing) {
    HangingLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    ASSERT_TRUE(launcher.Hang());
    login.Navigate(L"app://loadgame/S5服-《雷霆》双线-abc|" + PortalUrl(L"/zarn/game.html?server=5"));
    EXPECT_TRUE(login.Ended(60000)) << "the login waited for the hung launcher";
    launcher.Stop();
    EXPECT_EQ(Log.SysCommandMark, 6021);
    EXPECT_FALSE(Log.GameUrlReported);
}

// The same for the page's minimise: the launcher's minimise is queued for it, and the login goes on
// with its next command.
TEST(LoginFlow, MinimizeCannotHangOnALauncherThatDoesNotAnswer) {
    HangingLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    ASSERT_TRUE(launcher.Hang());
    login.Navigate(L"app://minimize");
    login.Navigate(L"app://exitgame");
    EXPECT_TRUE(login.Ended(60000)) << "the login waited for the hung launcher";
    launcher.Stop();
    EXPECT_TRUE(Log.Minimized);
    EXPECT_EQ(Log.SysCommandMark, 6021);
}

TEST(LoginFlow, CapitalAppIsNoCommandMinimizeInTheFirstWindowKeepsTheLoginAndExitgameEndsIt) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(L"APP://exitgame");
    login.Navigate(L"app://minimize");
    // Commands run in order: the launcher minimised means the capital one ended nothing.
    ASSERT_TRUE(PumpUntil([] { return Log.Minimized; }));
    EXPECT_EQ(::WaitForSingleObject(login.Process.Process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Log.SysCommands, 0);
    login.Navigate(L"app://exitgame");
    ASSERT_TRUE(PumpUntil([] { return Log.SysCommands > 0; }));
    EXPECT_EQ(Log.SysCommand, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(Log.SysCommandMark, 6021);
    EXPECT_TRUE(login.Ended());
    EXPECT_TRUE(Log.Accounts.empty());
}

TEST(LoginFlow, MinimizeWithOtherGamesOpenCancelsTheLogin) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 2);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(L"app://minimize");
    ASSERT_TRUE(PumpUntil([] { return Log.SysCommands > 0; }));
    EXPECT_EQ(Log.SysCommandMark, 6021);
    EXPECT_TRUE(login.Ended());
    EXPECT_FALSE(Log.Minimized);
}

TEST(LoginFlow, ClosingTheBackdropCancels) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    ::PostMessageW(login.Backdrop, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([] { return Log.SysCommands > 0; }));
    EXPECT_EQ(Log.SysCommandMark, 6021);
    EXPECT_TRUE(login.Ended());
}

TEST(LoginFlow, SignInOpenedTwiceLeavesOneWindowWithThePageInsideItsBorder) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    const std::wstring qq = SignIn(L"/qzone/redirectToAuthorize.do?client=zarn");
    login.Navigate(qq);
    login.Navigate(qq);
    login.Navigate(L"app://minimize"); // a marker: the two before it have run
    ASSERT_TRUE(PumpUntil([] { return Log.Minimized; }));
    const std::vector<HWND> windows = VisibleTitled(login.Process.Pid, L"QQ账号安全登录");
    ASSERT_EQ(windows.size(), 1u);
    RECT outer{};
    ::GetWindowRect(windows[0], &outer);
    EXPECT_EQ(outer.right - outer.left, 740);
    EXPECT_EQ(outer.bottom - outer.top, 480);
    HWND page = PageOwnedBy(login.Process.Pid, L"QQ账号安全登录");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(::IsWindowVisible(page));
    RECT inner{};
    ::GetWindowRect(page, &inner);
    EXPECT_EQ(inner.left, outer.left + 4);
    EXPECT_EQ(inner.top, outer.top + 30);
    EXPECT_EQ(inner.right, outer.right - 4);
    EXPECT_EQ(inner.bottom, outer.bottom - 4);

    Log.Minimized = false;
    ::ShowWindow(launcher.Wnd, SW_RESTORE);
    login.Navigate(SignIn(L"/weibo/redirectToAuthorize.do?client=zarn"));
    login.Navigate(L"app://minimize");
    ASSERT_TRUE(PumpUntil([] { return Log.Minimized; }));
    EXPECT_TRUE(VisibleTitled(login.Process.Pid, L"QQ账号安全登录").empty());
    EXPECT_EQ(VisibleTitled(login.Process.Pid, L"新浪微博账号安全登录").size(), 1u);
    login.Navigate(L"app://exitgame");
    EXPECT_TRUE(login.Ended());
}

TEST(LoginFlow, TheCookieWatchClosesSignInAndTheSweepRemovesItsBox) {
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.ShowPage());
    login.Navigate(SignIn(L"/qzone/redirectToAuthorize.do?client=zarn"));
    HWND page = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (page = PageOwnedBy(login.Process.Pid, L"QQ账号安全登录")) != nullptr; }));
    HWND container = ::GetWindow(page, GW_OWNER);
    const std::wstring callback = SignIn(L"/qzone/callback.do?code=TESTCODE&state=zarn");

    // Without the cookie the window stays; a callback address inside another URL is no callback.
    BrowserCommand(page, L"complete", callback);
    BrowserCommand(page, L"cookie", callback + L"\nPauth\nPA0123");
    BrowserCommand(page, L"complete", PortalUrl(L"/other?next=") + callback);
    login.Navigate(L"app://minimize"); // a marker: the page's commands have run
    ASSERT_TRUE(PumpUntil([] { return Log.Minimized; }));
    EXPECT_TRUE(::IsWindowVisible(container));
    EXPECT_TRUE(::IsWindowVisible(page));

    BrowserCommand(page, L"box", L"");
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<HWND> found =
            WindowsOf(login.Process.Pid, [](HWND w) { return TitleOf(w) == L"ZarnSweepProbe"; });
        box = found.empty() ? nullptr : found.front();
        return box != nullptr;
    }));
    BrowserCommand(page, L"complete", callback);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(container); })) << "the cookie closes the window";
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); })) << "the sweep destroys the box the page owns";
    EXPECT_FALSE(::IsWindowVisible(page));
    EXPECT_EQ(::WaitForSingleObject(login.Process.Process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the login goes on";
    login.Navigate(L"app://exitgame");
    EXPECT_TRUE(login.Ended());
}

// A login whose page has opened the sign-in of one provider (its redirect path given).
struct OpenSignIn {
    OpenSignIn(const std::wstring& redirect, const std::wstring& title) : Login(Launcher.Wnd, 0) {
        if (!Login.ShowPage())
            return;
        Login.Navigate(SignIn(redirect));
        PumpUntil([&] {
            Page = PageOwnedBy(Login.Process.Pid, title);
            return Page != nullptr && ::IsWindowVisible(Page);
        });
        Container = Page ? ::GetWindow(Page, GW_OWNER) : nullptr;
    }
    // Completes the URL in the page, then waits until the login page has run a later command:
    // whatever the completion was to do has been done. False when that command never ran.
    bool CompleteAndSettle(const std::wstring& url) {
        ::ShowWindow(Launcher.Wnd, SW_RESTORE);
        Log.Minimized = false;
        BrowserCommand(Page, L"complete", url);
        Login.Navigate(L"app://minimize");
        return PumpUntil([] { return Log.Minimized; });
    }
    bool Closed() {
        return PumpUntil([&] { return !::IsWindowVisible(Container); });
    }
    // The login's own exit.
    bool Exit() {
        Login.Navigate(L"app://exitgame");
        return Login.Ended();
    }

    StandInLauncher Launcher;
    LoginProcess Login;
    HWND Page = nullptr;
    HWND Container = nullptr;
};

TEST(LoginFlow, OnlyACookieNamedExactlyPauthWithAValueClosesTheSignIn) {
    OpenSignIn qq(L"/qzone/redirectToAuthorize.do?client=zarn", L"QQ账号安全登录");
    ASSERT_NE(qq.Page, nullptr);
    const std::wstring callback = SignIn(L"/qzone/callback.do?code=COOKIES&state=zarn");

    // Cookies whose names contain "Pauth", and a "Pauth" without a value, are no sign-in.
    BrowserCommand(qq.Page, L"cookie", callback + L"\nPauthX\nPX1");
    BrowserCommand(qq.Page, L"cookie", callback + L"\nxPauth\nXP2");
    BrowserCommand(qq.Page, L"cookie", callback + L"\nPauth\n");
    ASSERT_TRUE(qq.CompleteAndSettle(callback));
    EXPECT_TRUE(::IsWindowVisible(qq.Container));

    // Among more than 255 characters of other cookies, a real one is found.
    BrowserCommand(qq.Page, L"cookie", callback + L"\nbig\n" + std::wstring(300, L'b'));
    ASSERT_TRUE(qq.CompleteAndSettle(callback));
    EXPECT_TRUE(::IsWindowVisible(qq.Container));
    BrowserCommand(qq.Page, L"cookie", callback + L"\nPauth\nPA0123");
    BrowserCommand(qq.Page, L"complete", callback);
    EXPECT_TRUE(qq.Closed()) << "a real Pauth closes the window";
    EXPECT_TRUE(qq.Exit());
}

TEST(LoginFlow, AnHttpOnlyPauthClosesTheSignIn) {
    OpenSignIn weibo(L"/weibo/redirectToAuthorize.do?client=zarn", L"新浪微博账号安全登录");
    ASSERT_NE(weibo.Page, nullptr);
    // The portal sets its sign-in cookie HttpOnly: no script reads it, and only a reader that asks
    // for HttpOnly cookies sees it.
    const std::wstring callback = SignIn(L"/weibo/callback.do?state=zarn&code=HTTPONLY");
    BrowserCommand(weibo.Page, L"httponlycookie", callback + L"\nPauth\nPAweibo");
    BrowserCommand(weibo.Page, L"complete", callback);
    EXPECT_TRUE(weibo.Closed());
    EXPECT_TRUE(weibo.Exit());
}

} // namespace

namespace {

// The login backdrop with its page, and the QQ sign-in window over it, on screen together. With
// ZARN_GALLERY_HOLD set (scripts/gallery.sh) they stay up that many seconds for a screenshot.
TEST(LoginGallery, ShowsTheBackdropAndTheSignInWindow) {
    wchar_t hold[16] = {};
    const int seconds = ::GetEnvironmentVariableW(L"ZARN_GALLERY_HOLD", hold, 16) ? _wtoi(hold) : 0;
    auto holdForPicture = [seconds] {
        if (seconds <= 0)
            return;
        const DWORD until = ::GetTickCount() + static_cast<DWORD>(seconds) * 1000;
        PumpUntil([&] { return ::GetTickCount() >= until; }, static_cast<DWORD>(seconds) * 1000 + 1000);
    };
    StandInLauncher launcher;
    LoginProcess login(launcher.Wnd, 0);
    ASSERT_TRUE(login.FindPage());
    // The backdrop alone: the page is hidden until its first navigation completes.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(login.Backdrop) != FALSE; }));
    EXPECT_FALSE(::IsWindowVisible(login.Page));
    holdForPicture();
    ASSERT_TRUE(login.CompletePage());
    login.Navigate(SignIn(L"/qzone/redirectToAuthorize.do?client=zarn"));
    ASSERT_TRUE(PumpUntil([&] { return VisibleTitled(login.Process.Pid, L"QQ账号安全登录").size() == 1; }));
    holdForPicture();
    login.Navigate(L"app://exitgame");
    EXPECT_TRUE(login.Ended());
}

} // namespace
