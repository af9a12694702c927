// The launcher window: skin and caption controls, layout, the timer that pushes the sound flag, the
// message filter and the window procedure. The tabs and accounts are in LauncherTabs_win.cpp, the menu
// and tray in LauncherMenus_win.cpp, the hot keys in KeyboardHook_win.cpp and BossKey_win.cpp, the
// strip in TabStripPaint_win.cpp, hung frames in FrameResponses_win.cpp.
#include "launcher/Plexo3Dlg_win.h"

#include "base/Product.h"
#include "protocol/ProgramMessages.h"
#include "framework/Gdi.h"
#include "framework/PostTarget.h"
#include "framework/WinApp.h"
#include "launcher/TabStrip.h"
#include "protocol/GameArea.h"
#include "settings/HeldModifiers_win.h"
#include "skin/SkinRect_win.h"
#include "skin/SkinImage_win.h"
#include "testbuild/TestBuild.h"
#include "testbuild/TestMessages.h"

namespace zarn {

CPlexo3Dlg* TheLauncher = nullptr;

namespace {

constexpr UINT IDD_PLEXO3_DIALOG = 102;
enum ControlId : int { IdHide = 1001, IdSound = 1002, IdSystem = 1003, IdHall = 1004, IdAccountLink = 1005 };
enum SkinImage : UINT {
    SkinId = 134,
    CloseId = 132,
    MaximizeId = 135,
    MinimizeId = 136,
    RestoreId = 137,
    HideId = 138,
    SystemId = 139,
    TabsId = 140,
    TabClosesId = 141,
    LinkIconId = 142,
    MutedId = 148,
    SoundOnId = 149,
    HallId = 150,
    HallShownId = 151
};
// Posted to itself by the set-up: start the first login.
constexpr UINT UM_STARTLOGIN = WM_APP + 0x104;
// Posted by the process watch: wParam, a process this launcher started, has ended.
constexpr UINT UM_PROCESSENDED = WM_APP + 0x105;
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Magenta = RGB(255, 0, 255);

UniqueBitmap Skin(UINT id) {
    return UniqueBitmap(LoadSkinImage(AfxGetInstanceHandle(), id));
}

} // namespace

CPlexo3Dlg::CPlexo3Dlg() : CDlgEx(IDD_PLEXO3_DIALOG) {
    CenterWhenOpened = false; // it starts as 1 x 1 at the screen origin
    Icon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(128));
    TheLauncher = this;
}

CPlexo3Dlg::~CPlexo3Dlg() {
    if (UpdateCheckTarget)
        UpdateCheckTarget->Close();
    DestroyWindow();
    if (TheLauncher == this)
        TheLauncher = nullptr;
}

void CPlexo3Dlg::DoDataExchange(DataExchange& exchange) {
    CDlgEx::DoDataExchange(exchange);
    exchange.Control(IdHide, HideButton);
    exchange.Control(IdSound, SoundButton);
    exchange.Control(IdSystem, SystemButton);
    exchange.Control(IdHall, HallButton);
    exchange.Control(IdAccountLink, AccountLink);
}

BOOL CPlexo3Dlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    InstallKeyboardHook();
    OsVersion.dwOSVersionInfoSize = sizeof(OsVersion);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&OsVersion);
#pragma GCC diagnostic pop
    SetupSkin();
    Processes.Start(GetSafeHwnd(), UM_PROCESSENDED);
    // The first login starts once the window is up: starting a process takes longer than the rest of
    // the set-up.
    PostMessage(UM_STARTLOGIN);
    LoadHotKeys();
    return TRUE;
}

void CPlexo3Dlg::SetupSkin() {
    ModifyStyle(0, WS_CLIPCHILDREN);
    SetTitle(product::Caption); // also how the settings dialog finds launcher windows
    SetFrameLayout(30, 4, 0, 0, 0);
    CaptionWeight = 600;
    MinimizeImage = Skin(MinimizeId);
    CloseImage = Skin(CloseId);
    SetSkin(Skin(SkinId), FALSE, TRUE, MinimizeImage.get(), Skin(MaximizeId), Skin(RestoreId),
            CloseImage.get());
    Resizable = TRUE;
    ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, 1, 1, SWP_NOZORDER);

    SoundOnImage = Skin(SoundOnId);
    MutedImage = Skin(MutedId);
    HallImage = Skin(HallId);
    HallShownImage = Skin(HallShownId);
    HideButton.SetImage(Skin(HideId).get(), TRUE);
    SoundButton.SetImage(SoundOnImage.get(), TRUE);
    SystemButton.SetImage(Skin(SystemId).get(), TRUE);
    SystemButton.TextColor = White;
    HallButton.SetImage(HallImage.get(), TRUE);
    AccountLink.TextColor = White;
    AccountLink.LinkCursor = TRUE;
    AccountLink.Underline = TRUE;
    AccountLink.ModifyStyle(0, SS_NOTIFY);
    AccountLink.SetImage(Skin(LinkIconId).get());

    LoadTabImages(TabImages, TabsId);
    LoadTabImages(CloseImages, TabClosesId);
}

// The tab tooltip: made at the first mouse message (PreTranslateMessage), as a tooltip is a window of
// its own and the launcher shows sooner without it.
void CPlexo3Dlg::CreateToolTip() {
    ToolTip.Create(GetSafeHwnd(), TTS_ALWAYSTIP);
    ToolTip.AddWindowTool(GetSafeHwnd());
    ToolTip.SetDelayTime(TTDT_AUTOMATIC, 500);
}

void CPlexo3Dlg::LoadTabImages(CImageList& list, UINT pngId) {
    const UniqueBitmap strip = Skin(pngId);
    const SIZE size = BitmapSize(strip.get());
    if (size.cx < 3 || size.cy <= 0)
        return;
    list.Create(size.cx / 3, size.cy, ILC_COLOR24 | ILC_MASK, 3, 0);
    list.AddMasked(strip.get(), Magenta);
}

RECT CPlexo3Dlg::GameAreaRect() const {
    const RECT client = GetClientRect();
    return ToRect(GameArea(client.right, client.bottom));
}

void CPlexo3Dlg::MoveToGameArea(HWND window) const {
    CForeignWnd(window).MoveWindow(GameAreaRect());
}

LRESULT CPlexo3Dlg::OnSize(WPARAM type, LPARAM size) {
    const int cx = LOWORD(size), cy = HIWORD(size);
    const RECT area = ToRect(GameArea(cx, cy));
    if (HallWindow && ::IsWindowVisible(HallWindow))
        CForeignWnd(HallWindow).MoveWindow(area);
    else if (!Tabs.Empty() && type != SIZE_MINIMIZED)
        CForeignWnd(Tabs.WindowAt(CurrentTab)).MoveWindow(area);
    const LRESULT result = CDlgEx::WindowProc(WM_SIZE, type, size); // places the title-bar buttons

    if (cx != LastWidthSeen && HideButton.GetSafeHwnd()) {
        CWnd* controls[tabstrip::CaptionControlCount] = {&HideButton, &SoundButton, &SystemButton,
                                                         &HallButton, &AccountLink};
        for (int i = 0; i < tabstrip::CaptionControlCount; ++i) {
            const RECT r = ToRect(tabstrip::CaptionControlRect(static_cast<tabstrip::CaptionControl>(i), cx));
            ::MoveWindow(controls[i]->GetSafeHwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
        for (CWnd* control : controls)
            control->Invalidate();
        InvalidateTitleButtons();
    }
    // Before version 6 the desktop keeps a stale corner where the outline shrank away from it.
    if (OsVersion.dwMajorVersion < 6 && cx < LastWidthSeen) {
        const RECT window = GetWindowRect();
        const RECT corner{window.right - 4, window.top, window.right, window.top + 4};
        ::RedrawWindow(::GetDesktopWindow(), &corner, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    LastWidthSeen = cx;
    return result;
}

bool CPlexo3Dlg::OnWindowPosChanging(WINDOWPOS& pos) {
    if (pos.flags & SWP_NOSIZE)
        return false;
    tabstrip::Size size{pos.cx, pos.cy};
    if (!tabstrip::ClampToMinimum(Tabs.Count(), size))
        return false;
    pos.cx = size.cx;
    pos.cy = size.cy;
    return true;
}

void CPlexo3Dlg::OnTimer() {
    BroadcastSoundState(SoundMuted);
    CheckFramesAnswer();
    EndTabsThatDidNotClose();
    if (SoundMuted != ShownSoundState) {
        ShownSoundState = SoundMuted;
        SoundButton.SetImage(SoundMuted ? MutedImage.get() : SoundOnImage.get(), TRUE);
        SoundButton.Invalidate();
    }
    const BOOL hallShown = HallWindow && ::IsWindowVisible(HallWindow);
    if (HallButtonState != hallShown) {
        HallButtonState = !HallButtonState;
        HallButton.SetImage(HallButtonState ? HallShownImage.get() : HallImage.get(), TRUE);
        HallButton.Invalidate();
    }
}

BOOL CPlexo3Dlg::PreTranslateMessage(MSG* msg) {
    const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    if (keyDown && msg->lParam != ProgramMadeMark &&
        MatchesHotKey(SwitchKey, static_cast<int>(msg->wParam), HeldModifierMask())) {
        SwitchToNextTab();
        return TRUE;
    }
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_SPACE))
        return TRUE;
    if (msg->message == WM_SYSCOMMAND && msg->hwnd == GetSafeHwnd())
        ReleaseInputFromHungFrames(); // minimising, closing and the rest change the activation
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_CLOSE && msg->hwnd == GetSafeHwnd()) {
        if (msg->lParam == ProgramMadeMark) {
            if (OnLoginCancelled())
                return TRUE;
        } else if (msg->lParam == 0 && Tabs.Empty()) {
            if (PendingGameProcess)
                ::TerminateProcess(PendingGameProcess.get(), 0);
            ExitLauncher();
            return TRUE;
        }
    }
    const bool ctrlD = msg->message == WM_CHAR && msg->wParam == 4 && HIWORD(msg->lParam) == 0x0020;
    const bool f5 = msg->message == WM_KEYDOWN && msg->wParam == VK_F5;
    if ((ctrlD || f5) && !Tabs.Empty()) {
        const HWND tab = Tabs.WindowAt(CurrentTab);
        if (tab && ::IsWindowVisible(tab)) {
            CForeignWnd(tab).PostMessage(msg->message, msg->wParam, msg->lParam);
            return TRUE;
        }
        if (HallWindow && ::IsWindowVisible(HallWindow)) {
            CForeignWnd(HallWindow).PostMessage(msg->message, msg->wParam, msg->lParam);
            return TRUE;
        }
    }
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_RESTORE && Tabs.Empty())
        ::ShowWindow(GetSafeHwnd(), SW_RESTORE);
    if (!ToolTip.GetSafeHwnd() && IsMouseMessage(msg->message) &&
        (msg->hwnd == GetSafeHwnd() || ::IsChild(GetSafeHwnd(), msg->hwnd)))
        CreateToolTip();
    if (ToolTip.GetSafeHwnd())
        ToolTip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

void CPlexo3Dlg::OnCancel() {
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(GetSafeHwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (Ask(MB_YESNO, L"窗口即将关闭，确定要退出游戏？") == IDYES)
        ExitLauncher();
}

LRESULT CPlexo3Dlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_PAINT:
        if (::IsIconic(GetSafeHwnd())) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(GetSafeHwnd(), &ps);
            SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            const RECT client = GetClientRect();
            const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
            const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
            ::DrawIcon(dc, x, y, Icon);
            ::EndPaint(GetSafeHwnd(), &ps);
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(Icon);
    case WM_SIZE:
        return OnSize(w, l);
    case WM_WINDOWPOSCHANGING:
        if (OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(l)))
            return 0;
        break;
    case WM_COPYDATA:
        return OnAccountLoggedIn(reinterpret_cast<const COPYDATASTRUCT*>(l));
    case WM_TIMER:
        if (w == LauncherTimerId)
            OnTimer();
        break;
    case WM_COMMAND:
        if (CommandCode(w) == BN_CLICKED) {
            switch (CommandId(w)) {
            case IdHide:
                ToggleLauncherVisible();
                return 0;
            case IdSound:
                SoundMuted = !SoundMuted;
                return 0;
            case IdSystem:
                ShowLauncherMenu(false);
                return 0;
            case IdHall:
                OnGameHallButton();
                return 0;
            case IdAccountLink:
                OpenAccountDialog();
                return 0;
            default:
                break;
            }
        }
        break;
    case WM_MOUSEACTIVATE:
        ReleaseInputFromHungFrames(); // the click activates the launcher next
        break;
    case WM_ACTIVATE:
        if (LOWORD(w) == WA_INACTIVE) {
            LastFocus = ::GetFocus(); // what the dialog's own handling saves and gives the focus back to
            break;
        }
        if (!MayRestoreFocus())
            return 0;
        break;
    case WM_SETFOCUS:
        if (!MayRestoreFocus())
            return 0;
        break;
    case WM_ERASEBKGND:
        if (PaintWithTabs(reinterpret_cast<HDC>(w)))
            return TRUE;
        break;
    case UM_GAMEWINDOWCREATED:
        return RegisterGameWindow(reinterpret_cast<HWND>(w), l != 0);
    case UM_TRAYNOTIFY:
        OnTrayNotify(l);
        return 0;
    case UM_TRAYMENU:
        ShowLauncherMenu(true);
        return 0;
    case UM_HOTKEYSCHANGED:
        return LoadHotKeys();
    case UM_ADDACCOUNTCHOICE:
        return OnAddAccountChoice(w);
    case UM_HOTKEYPRESSED:
        OnHotKeyPressed(w);
        return 0;
    case UM_PROCESSENDED:
        OnProcessEnded(static_cast<DWORD>(w));
        return 0;
    case UM_STARTLOGIN:
        StartGameWindowProcess();
        return 0;
    case UM_UPDATECHECKED:
        OnUpdateChecked(w != 0);
        return 0;
    case testbuild::LauncherBusyMessage:
        if (testbuild::Enabled()) {
            ::Sleep(static_cast<DWORD>(w < 5000 ? w : 5000));
            return 0;
        }
        break;
    default: {
        LRESULT result = 0;
        if (HandleStripMouse(msg, w, l, result)) // the strip's mouse messages
            return result;
        break;
    }
    }
    return CDlgEx::WindowProc(msg, w, l);
}

void RunLauncherWindow() {
    CPlexo3Dlg launcher;
    launcher.DoModal();
}

} // namespace zarn
