// Key messages in the game window, made in this process around a stand-in launcher window: the
// frame's own keys come first (the switch key to the launcher, F5), then the page, through a fake
// in-place active object in its place (Wine has no HTML engine), then the window.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/GameProcess_win.h"
#include "app/Plexo3App_win.h"
#include "app/Program_win.h"
#include "base/Product.h"
#include "gamewnd/GameWindow_win.h"
#include "gamewnd/GmWndDoc_win.h"
#include "gamewnd/GmWndView_win.h"
#include "gamewnd/MainFrm_win.h"
#include "res/resource.h"
#include "support/PageKeysTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

// What the stand-in launcher was posted: the switch key the frame passes on.
KeyLog* LauncherKeys = nullptr;

LRESULT CALLBACK StandInProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (LauncherKeys && (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN))
        LauncherKeys->push_back({KeySeen::Window, msg, w});
    return ::DefWindowProcW(wnd, msg, w, l);
}

// The game window of this process: document, frame and view as the program makes them, the frame a
// child of a stand-in launcher window, with F3 as the switch key.
class GameViewKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        Ini = PathBesideProgram(product::StatisticFileName);
        ::WritePrivateProfileStringW(product::IniSection, L"AltWndKey", L"0,114", Ini.c_str());
        WNDCLASSW wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZarnTestKeysLauncher";
        ::RegisterClassW(&wc);
        Launcher = ::CreateWindowW(wc.lpszClassName, L"stand-in launcher", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                   300, nullptr, nullptr, wc.hInstance, nullptr);
        LauncherKeys = &PostedToLauncher;
        SavedLauncher = LauncherWnd;
        SavedGameUrl = GameUrl;
        LauncherWnd = Launcher;
        GameUrl = L"http://127.0.0.1:1/game";
        Template = CSingleDocTemplate::Make<CGmWndDoc, CMainFrame, CGmWndView>(IDR_MAINFRAME);
        ASSERT_NE(Template->OpenNewDocument(false), nullptr);
        ASSERT_NE(TheGameView, nullptr);
    }
    void TearDown() override {
        App.MainWindow = nullptr; // the frame's end is no end of this process's loop
        Template.reset();
        ::DestroyWindow(Launcher);
        LauncherKeys = nullptr;
        LauncherWnd = SavedLauncher;
        GameUrl = SavedGameUrl;
        ::DeleteFileW(Ini.c_str());
        ::OleUninitialize();
    }

    CPlexo3App App;
    std::wstring Ini;
    HWND Launcher = nullptr;
    HWND SavedLauncher = nullptr;
    std::wstring SavedGameUrl;
    KeyLog PostedToLauncher;
    std::unique_ptr<CSingleDocTemplate> Template;
};

TEST_F(GameViewKeys, TheFramesKeysComeFirstThenThePageThenTheWindow) {
    KeyLog log;
    ComPtr<FakeActiveObject> page = MakeComObject<FakeActiveObject>(log);
    ComPtr<IOleInPlaceFrame> frame;
    ASSERT_EQ(TheGameView->ControlSite()->QueryInterface(__uuidof(IOleInPlaceFrame), frame.put_void()), S_OK);
    ASSERT_EQ(frame->SetActiveObject(page.get(), L"game"), S_OK);
    const HWND control = ::FindWindowExW(TheGameView->GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    KeyWindowWatch watch(control, log);

    // The switch key goes to the launcher, F5 reloads: the page never sees them.
    PostKeyLikeTheUser(control, WM_KEYDOWN, VK_F3);
    EXPECT_TRUE(SeenOf(log, VK_F3).empty());
    MSG posted;
    while (::PeekMessageW(&posted, Launcher, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&posted);
    EXPECT_EQ(PostedToLauncher, (KeyLog{{KeySeen::Window, WM_KEYDOWN, VK_F3}}));
    PostKeyLikeTheUser(control, WM_KEYDOWN, VK_F5);
    EXPECT_TRUE(SeenOf(log, VK_F5).empty());

    // The game's own keys reach the page, and what it takes goes no further.
    PostKeyLikeTheUser(control, WM_KEYDOWN, 'A');
    const KeyLog a = SeenOf(log, 'A');
    ASSERT_GE(a.size(), 2u);
    EXPECT_EQ(a[0], (KeySeen{KeySeen::Page, WM_KEYDOWN, 'A'}));
    EXPECT_EQ(a[1], (KeySeen{KeySeen::Window, WM_KEYDOWN, 'A'}));
    page->Takes = {VK_SPACE};
    PostKeyLikeTheUser(control, WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(SeenOf(log, VK_SPACE), (KeyLog{{KeySeen::Page, WM_KEYDOWN, VK_SPACE}}));

    EXPECT_GT(page->OtherReferences(), 0u);
    App.MainWindow = nullptr;
    Template.reset();
    EXPECT_EQ(page->OtherReferences(), 0u) << "released with the view";
}

} // namespace
