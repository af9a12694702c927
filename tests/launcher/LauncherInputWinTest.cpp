// The launcher under real input and on screen: the tab strip's painting compared with its images, the
// real mouse on tabs and close buttons, the menu driven by keys, the drop-down, the game hall, and the
// hot keys through the keyboard hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "app/Program_win.h"
#include "framework/Handle.h"
#include "skin/SkinImage_win.h"
#include "protocol/ProgramMessages.h"
#include "launcher/Plexo3Dlg_win.h"
#include "support/LauncherTestSupport_win.h"
#include "support/SkinTestSupport_win.h"
#include "support/Xdotool_win.h"
#include "testbuild/TestMessages.h"

using namespace zarn;
using namespace zarn::test;

namespace {

HINSTANCE Resources() {
    return ::GetModuleHandleW(nullptr);
}

// A pixel of frame `frame` of a strip image cut in `frames` equal parts.
COLORREF FramePixel(UINT png, int frames, int frame, int x, int y) {
    UniqueBitmap strip(LoadSkinImage(Resources(), png));
    BITMAP info{};
    ::GetObjectW(strip.get(), sizeof(info), &info);
    return BitmapPixel(strip.get(), info.bmWidth / frames * frame + x, y);
}

// Keys are only taken: F10 and Alt would otherwise start the system's menu mode.
LRESULT CALLBACK KeyTargetProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST)
        return 0;
    if (msg == WM_SYSCOMMAND)
        return 0;
    return ::DefWindowProcW(wnd, msg, w, l);
}

// A window of the test on a thread of its own that takes the keyboard focus, so a real key press can
// be waited for: once its key-up is taken off that thread's queue, every keyboard hook has seen the key.
class KeyTarget {
  public:
    KeyTarget() {
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        Thread = std::thread([this, ready] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = KeyTargetProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
            wc.lpszClassName = L"ZarnTestKeyTarget";
            ::RegisterClassW(&wc);
            Wnd = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"key target", WS_POPUP | WS_VISIBLE,
                                    1180, 700, 80, 80, nullptr, nullptr, wc.hInstance, nullptr);
            ThreadId = ::GetCurrentThreadId();
            ::SetEvent(ready);
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageW(&msg);
            ::DestroyWindow(Wnd);
        });
        ::WaitForSingleObject(ready, 10000);
        ::CloseHandle(ready);
    }
    ~KeyTarget() {
        Watcher.reset();
        ::PostThreadMessageW(ThreadId, WM_QUIT, 0, 0);
        Thread.join();
    }
    // Takes the focus with a real click; then presses keys there and waits until they were handled.
    bool Focus() { return RealClick(Watch(), Wnd); }
    bool Key(const std::wstring& combination, WPARAM key) { return RealKey(Watch(), combination, key); }

    HWND Wnd = nullptr;
    DWORD ThreadId = 0;

  private:
    QueueWatch& Watch() {
        if (!Watcher)
            Watcher = std::make_unique<QueueWatch>(ThreadId);
        return *Watcher;
    }
    std::thread Thread;
    std::unique_ptr<QueueWatch> Watcher;
};

// Whether the keyboard focus of the window's thread is on the window or one of its children.
bool HasKeyboardFocus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus)
        return false;
    return info.hwndFocus == window || ::IsChild(window, info.hwndFocus);
}

class LauncherOnScreen : public ::testing::Test {
  protected:
    void StartWithTabs(int n) {
        ASSERT_TRUE(L.Start(L"login", L"s1服-1-甲", L"t0.log"));
        Frames.push_back(PeerFrame(L"t0.log"));
        for (int i = 1; i < n; ++i) {
            const std::wstring log = L"t" + std::to_wstring(i) + L".log";
            L.AddTab(L"s1服-1-player" + std::to_wstring(i), log);
            Frames.push_back(PeerFrame(log));
        }
        for (HWND f : Frames)
            ASSERT_NE(f, nullptr);
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames.back()) != FALSE; }));
    }
    // The colour on screen at a client point of the launcher.
    COLORREF ScreenPixel(int x, int y) const {
        const POINT p = ClientToScreenPoint(L.Window(), x, y);
        HDC screen = ::GetDC(nullptr);
        const COLORREF c = ::GetPixel(screen, p.x, p.y);
        ::ReleaseDC(nullptr, screen);
        return c;
    }
    // Under Wine the picture of a window that holds children of other processes reaches the screen
    // late; a repaint asked for now is shown at once. The strip is drawn from the launcher's state, so
    // the check is the same: what the state shows.
    ::testing::AssertionResult ShowsPixel(int x, int y, COLORREF expected) const {
        const bool shown = WaitFor(
            [&] {
                if (ScreenPixel(x, y) == expected)
                    return true;
                ::RedrawWindow(L.Window(), nullptr, nullptr,
                               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                return false;
            },
            5000);
        if (shown)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "at (" << x << ", " << y << ") the screen shows " << std::hex
                                             << ScreenPixel(x, y) << ", not " << expected;
    }
    void Mouse(const std::wstring& action, int x, int y) const {
        const POINT p = ClientToScreenPoint(L.Window(), x, y);
        ASSERT_TRUE(StartXdotool(L"mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y) +
                                 (action.empty() ? L"" : L" " + action)));
    }
    // The pixels in the last 40 of the title's room of tab i that differ from the tab's normal image:
    // text drawn there (tab i drawn normal: neither selected nor under the mouse).
    int TextAtTitleEnd(int i) const {
        UniqueBitmap strip(LoadSkinImage(Resources(), 140));
        // Only asked for: painting now from here would wait for the children, a hung one among them.
        ::RedrawWindow(L.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
        int differing = 0;
        for (int y = 8; y < 22; ++y)
            for (int x = 256; x < 296; ++x)
                differing += ScreenPixel(x + 189 * i, y) != BitmapPixel(strip.get(), x - 120, y - 3);
        return differing;
    }
    void Gallery(const std::wstring& name) const {
        if (!GalleryFolder().empty())
            SaveGalleryShot(L.Window(), name);
    }

    LauncherProcess L;
    std::vector<HWND> Frames;
};

TEST_F(LauncherOnScreen, TheCaptionShowsItsImagesAndFollowsTheRealMouse) {
    StartWithTabs(3);
    // Left of the titles each tab shows its image: the selected (last registered) one, the others normal.
    const COLORREF normal = FramePixel(140, 3, 0, 10, 8), hovered = FramePixel(140, 3, 1, 10, 8),
                   selected = FramePixel(140, 3, 2, 10, 8);
    ASSERT_NE(normal, selected);
    ASSERT_NE(normal, hovered);
    EXPECT_TRUE(ShowsPixel(130, 11, normal));
    EXPECT_TRUE(ShowsPixel(130 + 189, 11, normal));
    EXPECT_TRUE(ShowsPixel(130 + 2 * 189, 11, selected));
    Gallery(L"launcher-three-tabs");

    // The sound button shows the flag: its image changes at the next tick after a press.
    RECT client{};
    ::GetClientRect(L.Window(), &client);
    const int soundX = client.right - 141 + 15, soundY = 10; // a pixel where the two images differ
    EXPECT_TRUE(ShowsPixel(soundX, soundY, FramePixel(149, 4, 0, 15, 10)));
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
    for (const wchar_t* log : {L"t0.log", L"t1.log", L"t2.log"})
        EXPECT_FALSE(WaitForPeerLine(log, L"sound 1").empty()) << log;
    EXPECT_TRUE(ShowsPixel(soundX, soundY, FramePixel(148, 4, 0, 15, 10)));

    // Over tab 0's body: its hovered image and its close button (normal).
    Mouse(L"", 200, 12);
    EXPECT_TRUE(ShowsPixel(130, 11, hovered));
    EXPECT_TRUE(ShowsPixel(296 + 6, 3 + 6, FramePixel(141, 3, 0, 6, 6)));
    // Onto the close button: only the button changes, to its hovered image.
    Mouse(L"", 302, 9);
    EXPECT_TRUE(ShowsPixel(296 + 6, 3 + 6, FramePixel(141, 3, 1, 6, 6)));
    Gallery(L"launcher-hovered-close-button");

    // A real click on tab 1 (the launcher activated first, by a click on its caption) selects it and
    // shows its frame alone.
    Mouse(L"click 1", 800, 12);
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == L.Window(); }));
    Mouse(L"click 1", 120 + 189 + 60, 12);
    EXPECT_TRUE(ShowsPixel(130 + 189, 11, selected));
    Gallery(L"launcher-after-click");
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames[1]) && !::IsWindowVisible(Frames[2]); }));

    // A click on tab 0's close button and a middle click on tab 2 each ask about their own account.
    Mouse(L"click 1", 302, 9);
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"确定要退出账号：s1服-1-甲 ?");
    LauncherProcess::Answer(box, false);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    Mouse(L"click 2", 120 + 2 * 189 + 40, 20);
    box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"确定要退出账号：s1服-1-player2 ?");
    LauncherProcess::Answer(box, false);
    EXPECT_EQ(CountPeerLines(L"t0.log", L"close"), 0u);
    EXPECT_EQ(CountPeerLines(L"t2.log", L"close"), 0u);
}

TEST_F(LauncherOnScreen, TheMenusAreDrivenByKeys) {
    StartWithTabs(1);
    EXPECT_TRUE(ShowsPixel(130, 11, FramePixel(140, 3, 2, 10, 8)));
    Gallery(L"launcher-one-tab");
    // System variant: the third item clears the cache and says so.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    HWND menu = L.WaitForMenu();
    ASSERT_NE(menu, nullptr);
    if (!GalleryFolder().empty())
        SaveGalleryShot(menu, L"launcher-menu");
    for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})
        L.PostKey(key);
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"缓存清除完毕！");
    LauncherProcess::Answer(box, true);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));

    // The first item reloads the shown tab with a keystroke the program made.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    ASSERT_NE(L.WaitForMenu(), nullptr);
    for (UINT key : {VK_DOWN, VK_RETURN})
        L.PostKey(key);
    EXPECT_EQ(WaitForPeerLine(L"t0.log", L"keydown "), L"keydown 116 6021");

    // "设置..." runs the settings dialog; the boss key hides everything and ends it as cancelled.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    ASSERT_NE(L.WaitForMenu(), nullptr);
    for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})
        L.PostKey(key);
    HWND settings = WaitForWindow(L.Pid(), L"设置", 10000);
    ASSERT_NE(settings, nullptr);
    {
        KeyTarget elsewhere;
        ASSERT_TRUE(elsewhere.Focus());
        ASSERT_TRUE(elsewhere.Key(L"F10", VK_F10));
    }
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(settings) && !::IsWindowVisible(L.Window()); }));
    ::PostMessageW(L.Window(), WM_USER + 1, 1, WM_LBUTTONUP); // a click on the tray icon restores it
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(L.Window()) != FALSE; }));

    // Tray variant: its last item, "退出", ends the launcher without a question.
    ::PostMessageW(L.Window(), WM_USER + 3, 0, 0);
    ASSERT_NE(L.WaitForMenu(), nullptr);
    for (UINT key : {VK_UP, VK_RETURN})
        L.PostKey(key);
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"close 0").empty());
    EXPECT_TRUE(L.WaitForEnd());
}

TEST_F(LauncherOnScreen, TheDropDownOpensUnderItsLinkAndAnswersOrHides) {
    StartWithTabs(1);
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0);
    HWND drop = WaitForWindow(L.Pid(), L"登录其他账号", 10000);
    ASSERT_NE(drop, nullptr);
    RECT d{}, link{};
    ::GetWindowRect(drop, &d);
    ::GetWindowRect(::GetDlgItem(L.Window(), 1005), &link);
    EXPECT_EQ(d.top, link.bottom);
    EXPECT_EQ(d.right, link.right);
    EXPECT_EQ(d.right - d.left, 284);
    EXPECT_EQ(d.bottom - d.top, 150);
    DWORD_PTR hit = 0;
    ::SendMessageTimeoutW(drop, WM_NCHITTEST, 0, MAKELPARAM(d.left + 40, d.top + 10), SMTO_NORMAL, 5000,
                          &hit);
    EXPECT_EQ(hit, static_cast<DWORD_PTR>(HTCLIENT)) << "its title band does not drag it";
    if (!GalleryFolder().empty())
        SaveGalleryShot(drop, L"launcher-drop-down");

    // "是" asks the launcher for a tab in this window and hides the drop-down.
    SetNextPeer(L"login", L"s2服-1-second", L"drop.log");
    ClickButton(drop, 1);
    EXPECT_NE(PeerFrame(L"drop.log"), nullptr);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(drop); }));
    EXPECT_TRUE(ShowsPixel(130 + 189, 11, FramePixel(140, 3, 2, 10, 8))) << "the new tab is selected";
    Gallery(L"launcher-two-tabs");

    // Shown again, it goes when another window takes the activation, and sends nothing.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(drop) != FALSE; }));
    SetNextPeer(L"login", L"s2服-1-third", L"never.log");
    ::GetWindowRect(drop, &d);
    ASSERT_TRUE(StartXdotool(L"mousemove " + std::to_wstring(d.left + 30) + L" " +
                             std::to_wstring(d.top + 50) +
                             L" click 1")); // on its text: it is the active window now
    KeyTarget outside;
    ASSERT_TRUE(outside.Focus());
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(drop); }));
    EXPECT_TRUE(PeerLog(L"never.log").empty());
}

TEST_F(LauncherOnScreen, TheGameHallComesAndGoesAndIsNeverMuted) {
    StartWithTabs(1);
    ::DeleteFileW((PeerFolder() + L"\\hall.log").c_str());
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    HWND hall = PeerFrame(L"hall.log");
    ASSERT_NE(hall, nullptr);
    EXPECT_NE(WaitForPeerLine(L"hall.log", L"start ")
                  .find(L" /gmhall /" + std::to_wstring(WindowHandleValue(L.Window()))),
              std::wstring::npos);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hall) && !::IsWindowVisible(Frames[0]); }));
    // F5 goes to the hall while the tab is hidden.
    ::PostMessageW(L.Window(), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(WaitForPeerLine(L"hall.log", L"keydown "), L"keydown 116 1");
    // The button again: the tab is back and the hall hidden.
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hall) && ::IsWindowVisible(Frames[0]); }));
    // Shown once more, then gone with its process: the button starts a new hall.
    const size_t soundsBefore = CountPeerLines(L"t0.log", L"sound ");
    EXPECT_TRUE(WaitFor([&] { return CountPeerLines(L"t0.log", L"sound ") > soundsBefore + 2; }));
    EXPECT_EQ(CountPeerLines(L"hall.log", L"sound "), 0u) << "the hall is never sent the sound flag";
    // New hot keys reach the tab and the hall.
    ::PostMessageW(L.Window(), WM_USER + 4, 0, 0);
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"reload").empty());
    EXPECT_FALSE(WaitForPeerLine(L"hall.log", L"reload").empty());
}

TEST_F(LauncherOnScreen, HotKeysHideRestoreMuteAndSwitch) {
    StartWithTabs(3);
    // The switch key works where the launcher has the keyboard focus: a real click on its caption.
    Mouse(L"click 1", 800, 12);
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == L.Window(); }));
    // Ctrl+Tab cycles 2 -> 0 -> 1. The shown tab may have taken the keyboard focus: the next key goes
    // once a click has given it back to the launcher's thread. That click lands away from the first, so
    // that the two never make a double click on the caption, which would restore the launcher.
    ASSERT_TRUE(StartXdotool(L"key ctrl+Tab"));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames[0]) && !::IsWindowVisible(Frames[2]); }));
    Mouse(L"click 1", 760, 12);
    EXPECT_TRUE(WaitFor([&] { return HasKeyboardFocus(L.Window()); }));
    ASSERT_TRUE(StartXdotool(L"key ctrl+Tab"));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames[1]) && !::IsWindowVisible(Frames[0]); }));
    // The boss and sound keys work wherever the focus is: here in a window of the test.
    KeyTarget elsewhere;
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(elsewhere.Key(L"ctrl+q", 'Q'));
    for (const wchar_t* log : {L"t0.log", L"t1.log", L"t2.log"})
        EXPECT_FALSE(WaitForPeerLine(log, L"sound 1").empty()) << log;
    // F10 hides the launcher with its tabs, and brings it back.
    ASSERT_TRUE(elsewhere.Key(L"F10", VK_F10));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(L.Window()); }));
    EXPECT_FALSE(::IsWindowVisible(Frames[1]));
    // The restored launcher takes the foreground (and the key's release with it): wait for the effect.
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(StartXdotool(L"key F10"));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(L.Window()) && ::IsWindowVisible(Frames[1]); }));
}

// The boss key with the launcher's exit question open (here the one a closed login's close falls through
// to) hides the question too, and brings it back as it was: still open, over the launcher, and answered
// as usual; meanwhile the keys go on acting and the tab goes on getting its sound state.
TEST_F(LauncherOnScreen, TheBossKeyHidesAndRestoresAnOpenQuestion) {
    StartWithTabs(1);
    ::PostMessageW(L.Window(), WM_SYSCOMMAND, SC_CLOSE, ProgramMadeMark);
    std::wstring text;
    const HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"窗口即将关闭，确定要退出游戏？");
    KeyTarget elsewhere;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(elsewhere.Focus());
        ASSERT_TRUE(elsewhere.Key(L"F10", VK_F10));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(L.Window()) && !::IsWindowVisible(box); }));
        ASSERT_TRUE(elsewhere.Focus());
        ASSERT_TRUE(StartXdotool(L"key F10"));
        EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(L.Window()) && ::IsWindowVisible(box); }));
        EXPECT_FALSE(::IsWindowEnabled(L.Window())) << "the question still holds the launcher";
    }
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(elsewhere.Key(L"ctrl+q", 'Q'));
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"sound 1").empty());
    LauncherProcess::Answer(box, false);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box) && ::IsWindowEnabled(L.Window()); }));
    EXPECT_TRUE(L.Running());
}

// A tab whose game stops taking messages while it has the keyboard: clicks on the strip, on the hung tab
// itself and on the others, leave the launcher working; the hung tab is marked "(未响应)" in the strip;
// the boss key still hides and restores; and closing it asks as usual and, as it cannot close, ends its
// process.
TEST_F(LauncherOnScreen, AHungTabNeverTakesTheLauncherWithIt) {
    StartWithTabs(3);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(Frames[2], &pid);
    const UniqueHandle hung(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    ASSERT_TRUE(hung);
    Mouse(L"click 1", 800, 12);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == L.Window(); }));
    Mouse(L"click 1", 400, 300); // into tab 2's game, which takes the keyboard
    ASSERT_FALSE(WaitForPeerLine(L"t2.log", L"click").empty());
    ASSERT_TRUE(HangPeer(Frames[2], L"t2.log", PeerHangUntilEnded));

    Mouse(L"click 1", 120 + 189 + 60, 12); // tab 1
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames[1]) && !::IsWindowVisible(Frames[0]); }));
    Mouse(L"click 1", 120 + 2 * 189 + 60, 12); // the hung tab
    Mouse(L"click 1", 120 + 60, 12);           // tab 0
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(Frames[0]) && !::IsWindowVisible(Frames[1]); }));
    Mouse(L"", 800, 12); // off the strip
    EXPECT_TRUE(WaitFor([&] { return TextAtTitleEnd(2) > 20; }, 20000)) << "the hung tab is marked";
    EXPECT_EQ(TextAtTitleEnd(1), 0) << "the others are not";

    KeyTarget elsewhere;
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(elsewhere.Key(L"F10", VK_F10));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(L.Window()); }));
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(StartXdotool(L"key F10"));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(L.Window()) && ::IsWindowVisible(Frames[0]); }));

    L.PostMouse(WM_MBUTTONUP, 120 + 2 * 189 + 60, 12);
    std::wstring text;
    HWND box = L.WaitForBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"确定要退出账号：s1服-1-player2 ?");
    LauncherProcess::Answer(box, true);
    const bool ended = ::WaitForSingleObject(hung.get(), 20000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended) << "the hung tab's process was ended";
    if (!ended)
        ::TerminateProcess(hung.get(), 0);
}

// The sound button pressed before the first tab: the first tick sends the flag and shows it.
TEST_F(LauncherOnScreen, TheSoundButtonPressedBeforeTheFirstTickShowsMuted) {
    ASSERT_TRUE(L.Start(L"waiting", L"s1服-1-waiting", L"w.log"));
    ASSERT_EQ(WaitForPeerLine(L"w.log", L"copydata "), L"copydata 1");
    ::PostMessageW(L.Window(), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
    L.AddTab(L"s1服-1-甲", L"t0.log");
    ASSERT_NE(PeerFrame(L"t0.log"), nullptr);
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"sound 1").empty());
    EXPECT_EQ(CountPeerLines(L"t0.log", L"sound 0"), 0u);
    RECT client{};
    ::GetClientRect(L.Window(), &client);
    EXPECT_TRUE(ShowsPixel(client.right - 141 + 15, 10, FramePixel(148, 4, 0, 15, 10)));
}

// While the launcher's thread is busy the hook's events wait and then come in a burst; Ctrl+Q must
// still match, so the modifiers are the ones of each event, not the thread's key state of the moment.
// (Wine passes an event on without the hook once it has waited about two seconds, so the launcher is
// kept busy for less.)
TEST_F(LauncherOnScreen, TheSoundKeyMatchesWhenItArrivesWhileTheLauncherIsBusy) {
    StartWithTabs(1);
    ASSERT_FALSE(WaitForPeerLine(L"t0.log", L"sound 0").empty());
    KeyTarget elsewhere;
    ASSERT_TRUE(elsewhere.Focus());
    ::PostMessageW(L.Window(), testbuild::LauncherBusyMessage, 1500, 0);
    // Busy once a message sent to it gets no answer.
    ASSERT_TRUE(WaitFor([&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(L.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer) == 0;
    }));
    ASSERT_TRUE(elsewhere.Key(L"ctrl+q", 'Q'));
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"sound 1").empty());
}

// A Ctrl release the hook never sees (Wine passes it on without the hook while the launcher is busy for
// longer than the hook may take) leaves no Ctrl "held": F10 still hides the launcher, and Ctrl+Q still
// mutes.
TEST_F(LauncherOnScreen, AModifierReleaseTheHookMissedLeavesNoKeyHeld) {
    StartWithTabs(1);
    ASSERT_FALSE(WaitForPeerLine(L"t0.log", L"sound 0").empty());
    KeyTarget elsewhere;
    ASSERT_TRUE(elsewhere.Focus());
    const auto ctrlDown = [] { return (::GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; };
    const auto answers = [&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(L.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer) != 0;
    };
    ASSERT_TRUE(StartXdotool(L"keydown ctrl"));
    ASSERT_TRUE(WaitFor(ctrlDown)); // the hook has seen it: the state follows the hook
    ::PostMessageW(L.Window(), testbuild::LauncherBusyMessage, 5000, 0);
    ASSERT_TRUE(WaitFor([&] { return !answers(); }));
    ASSERT_TRUE(StartXdotool(L"keyup ctrl"));
    ASSERT_TRUE(WaitFor([&] { return !ctrlDown(); }));
    ASSERT_TRUE(WaitFor(answers, 20000));

    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(elsewhere.Key(L"F10", VK_F10));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(L.Window()); })) << "F10 matched without Ctrl";
    ASSERT_TRUE(elsewhere.Focus());
    ASSERT_TRUE(elsewhere.Key(L"ctrl+q", 'Q'));
    EXPECT_FALSE(WaitForPeerLine(L"t0.log", L"sound 1").empty());
}

TEST(LauncherHotKeys, DoNothingBeforeTheFirstTab) {
    LauncherProcess l;
    ASSERT_TRUE(l.Start(L"waiting", L"s1服-1-waiting", L"wait.log"));
    ASSERT_EQ(WaitForPeerLine(L"wait.log", L"copydata "), L"copydata 1");
    {
        KeyTarget target;
        ASSERT_TRUE(target.Focus());
        ASSERT_TRUE(target.Key(L"F10", VK_F10));
    }
    // Whatever the hook posted for that key is handled before this registration, which comes later.
    l.AddTab(L"s1服-1-later", L"later.log");
    HWND frame = PeerFrame(L"later.log");
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(frame) != FALSE; }));
    EXPECT_TRUE(::IsWindowVisible(l.Window())) << "F10 before the first tab did not hide the launcher";
}

} // namespace
