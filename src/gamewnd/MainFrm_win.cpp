// CMainFrame: registration with the launcher, the watch on it, and the frame's keys and commands.
#include "gamewnd/MainFrm_win.h"

#include "app/GameProcess_win.h"
#include "app/Program_win.h"
#include "dialogs/FavDlg_win.h"
#include "framework/ForeignWnd.h"
#include "framework/WinApp.h"
#include "framework/HiddenWindows.h"
#include "gamewnd/GameWindow_win.h"
#include "gamewnd/GmWndView_win.h"
#include "mute/SoundMute_win.h"
#include "protocol/ProgramMessages.h"
#include "settings/HeldModifiers_win.h"
#include "settings/SettingDlg_win.h"
#include "testbuild/TestBuild.h"

namespace zarn {
namespace {

SoundStateFilter AppliedSoundState; // the process's last applied sound state
HiddenWindows BossHidden;           // this process's windows the launcher's boss key put away

// A top-level system box of this process with this title.
HWND FindOwnBox(const wchar_t* title) {
    for (HWND box = ::FindWindowExW(nullptr, nullptr, L"#32770", title); box;
         box = ::FindWindowExW(nullptr, box, L"#32770", title)) {
        if (IsWindowOfThisProcess(box))
            return box;
    }
    return nullptr;
}

} // namespace

CMainFrame::~CMainFrame() {
    if (ThreadWatchTimer_)
        ::KillTimer(nullptr, ThreadWatchTimer_);
    DestroyWindow();
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.cx = 10;
    cs.cy = 10;
    cs.hMenu = nullptr;
    return TRUE;
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
    ModifyStyle(WS_CAPTION | WS_THICKFRAME, 0);
    ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND launcher = LauncherWindow()) {
        ::PostMessageW(launcher, UM_GAMEWINDOWCREATED, reinterpret_cast<WPARAM>(GetSafeHwnd()),
                       IsGameHall() ? 1 : 0);
        ::SetParent(GetSafeHwnd(), launcher);
    }
    LoadHotKeysIntoGlobals();
    ::SetTimer(GetSafeHwnd(), LauncherWatchTimer, 800, nullptr);
    ThreadWatchTimer_ = ::SetTimer(nullptr, 0, 800, ThreadWatch);
    return 0;
}

LRESULT CMainFrame::LoadHotKeysIntoGlobals() {
    const CSettingDlg settings;
    GameHotKeys.Boss = ToHotKey(settings.LoadBossKey());
    GameHotKeys.Switch = ToHotKey(settings.LoadSwitchKey());
    GameHotKeys.Sound = ToHotKey(settings.LoadSoundKey());
    testbuild::Note(L"hotkeys " + std::to_wstring(GameHotKeys.Boss.Key) + L" " +
                    std::to_wstring(GameHotKeys.Switch.Key) + L" " + std::to_wstring(GameHotKeys.Sound.Key));
    return 0;
}

// The launcher's boss key: this process's own windows (a box, the favourites dialog) go with the
// launcher and come back as they were.
LRESULT CMainFrame::OnBossKey(bool hide) {
    if (hide)
        BossHidden.Hide(GetSafeHwnd());
    else
        BossHidden.Restore();
    testbuild::Note(hide ? L"boss hide" : L"boss show");
    return 0;
}

LRESULT CMainFrame::ApplySoundState(WPARAM state) {
    if (!AppliedSoundState.ShouldApply(state))
        return 0;
    SetSoundMuted(static_cast<BOOL>(state));
    testbuild::Note(L"muted " + std::to_wstring(state));
    return 0;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    switch (ClassifyFrameMessage(msg->message, msg->wParam, msg->lParam, HeldModifierMask(), GameHotKeys)) {
    case FrameKeyAction::ForwardSwitch:
        PostToLauncher(msg->message, msg->wParam, msg->lParam);
        return TRUE;
    case FrameKeyAction::Favourites:
        RunFavourites();
        return TRUE;
    case FrameKeyAction::Reload:
        testbuild::Note(L"reload");
        if (TheGameView)
            TheGameView->Refresh();
        return TRUE;
    case FrameKeyAction::IgnoreF5:
        return TRUE;
    case FrameKeyAction::CloseRequest:
        ::SetTimer(GetSafeHwnd(), DialogKillTimer, 130, nullptr);
        break;
    case FrameKeyAction::None:
        break;
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::RunFavourites() {
    CFavDlg favourites(CurrentTitle, CurrentUrl, LauncherWindow());
    favourites.DoModal();
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_TIMER:
        CFrameWnd::WindowProc(msg, w, l);
        OnTimer(w);
        return 0;
    case WM_MOUSEACTIVATE:
        ::SetTimer(GetSafeHwnd(), RaiseLauncherTimer, 10, nullptr);
        return CFrameWnd::WindowProc(msg, w, l);
    case UM_SOUNDSTATE:
        return ApplySoundState(w);
    case UM_RELOADHOTKEYS:
        return LoadHotKeysIntoGlobals();
    case UM_BOSSKEY:
        return OnBossKey(w != 0);
    default:
        return CFrameWnd::WindowProc(msg, w, l);
    }
}

void CMainFrame::OnTimer(UINT_PTR id) {
    switch (id) {
    case LauncherWatchTimer:
        WatchLauncher();
        return;
    case DialogKillTimer:
        ::KillTimer(GetSafeHwnd(), DialogKillTimer);
        DestroyBrowserMessageBox();
        return;
    case RaiseLauncherTimer:
        ::KillTimer(GetSafeHwnd(), RaiseLauncherTimer);
        RaiseLauncher();
        return;
    default:
        return;
    }
}

void CMainFrame::WatchLauncher() {
    if (!LauncherWindow())
        ::PostQuitMessage(0);
}

void CALLBACK CMainFrame::ThreadWatch(HWND, UINT, UINT_PTR, DWORD) {
    const HWND frame = AfxGetApp() ? AfxGetApp()->MainWindow : nullptr;
    if (!LauncherWindow() || !frame || !::IsWindow(frame))
        ::PostQuitMessage(0);
}

// A browser message box left open would keep the frame from closing. Only boxes of this process are
// touched: another tab's box is not ours to destroy.
void CMainFrame::DestroyBrowserMessageBox() {
    for (const wchar_t* title :
         {L"来自网页的消息", L"Windows Internet Explorer", L"Microsoft Internet Explorer"}) {
        if (HWND box = FindOwnBox(title)) {
            testbuild::Note(L"box destroyed");
            ::DestroyWindow(box);
            return;
        }
    }
}

// Raises the launcher above other programs without activating it: into the topmost band and straight
// out again, which leaves it at the top of the others. Both moves are queued for the launcher's thread
// (a hung launcher cannot hang this process) and run there in order; changing the z-order needs no
// share in anyone's input, and joining the launcher's input to the foreground thread's would only
// cost the launcher its focus and key state.
void CMainFrame::RaiseLauncher() {
    const CForeignWnd launcher(LauncherWindow());
    const UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    if (!launcher.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, flags))
        return;
    launcher.SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    testbuild::Note(L"raised");
}

} // namespace zarn
