// The launcher's tabs and accounts and the game-window processes behind them: the command lines it
// starts, the logins (WM_COPYDATA) and registrations it accepts, the account drop-down, showing,
// switching and closing tabs, the sound flag, and the end of the launcher.
#include <algorithm>
#include <memory>
#include <string>

#include "app/Program_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "protocol/ProgramMessages.h"
#include "testbuild/TestBuild.h"
#include "framework/PostTarget.h"
#include "framework/WinApp.h"
#include "launcher/Plexo3Dlg_win.h"
#include "launcher/TabStrip.h"
#include "skin/SkinRect_win.h"
#include "net/Http_win.h"
#include "skin/MessageBox_win.h"

namespace zarn {
namespace {

DWORD ProcessIdOf(const UniqueHandle& process) {
    return process ? ::GetProcessId(process.get()) : 0;
}

DWORD WINAPI LoginReportThread(void* parameter) {
    std::unique_ptr<std::wstring> url(static_cast<std::wstring*>(parameter));
    HttpSendGet(*url, L"");
    return 0;
}

// The title a login sent: dwData 0 and a UTF-16 text with its terminating zero inside cbData. Anything
// else (other data, no data, an odd or zero size, no zero, a text longer than titles are) is refused.
bool ReadTitle(const COPYDATASTRUCT* data, std::wstring& title) {
    if (!data || data->dwData != 0 || !data->lpData || data->cbData == 0 ||
        data->cbData % sizeof(wchar_t) != 0)
        return false;
    const auto* text = static_cast<const wchar_t*>(data->lpData);
    const size_t units = data->cbData / sizeof(wchar_t);
    for (size_t i = 0; i < units; ++i) {
        if (text[i] != L'\0')
            continue;
        if (i == 0 || i > MaxTitleLength)
            return false;
        title.assign(text, i);
        return true;
    }
    return false;
}

} // namespace

std::wstring CPlexo3Dlg::GameProgramPath() const {
    // The test build may play the game-window processes with a stand-in program.
    const std::wstring stand_in = testbuild::Setting(L"GAME_PROGRAM");
    return stand_in.empty() ? ProgramPath() : stand_in;
}

void CPlexo3Dlg::StartGameWindowProcess() {
    std::wstring command = L"\"" + GameProgramPath() + L"\" /newgm /";
    command += std::to_wstring(WindowHandleValue(GetSafeHwnd()));
    command += L" /" + std::to_wstring(Tabs.Count());
    StartedProcess started;
    if (!StartProcess(nullptr, command, SW_SHOWNORMAL, IDLE_PRIORITY_CLASS, started))
        return;
    Processes.Watch(started.Process.get());
    PendingGameProcess = std::move(started.Process);
}

void CPlexo3Dlg::StartGameHallProcess() {
    std::wstring command = L"\"" + GameProgramPath() + L"\" /gmhall /";
    command += std::to_wstring(WindowHandleValue(GetSafeHwnd()));
    StartedProcess started;
    if (!StartProcess(nullptr, command, SW_SHOWNORMAL, IDLE_PRIORITY_CLASS, started))
        return;
    Processes.Watch(started.Process.get());
    HallProcess = std::move(started.Process); // kept until its frame registers
}

// A login that ended without an account (it said so, or its process ended without a word): the first
// one ends the launcher, a later one only the wait for it, with the title it may have sent. False when
// no login was waited for.
bool CPlexo3Dlg::OnLoginCancelled() {
    if (Tabs.Empty()) {
        ExitLauncher();
        return true;
    }
    if (!PendingGameProcess)
        return false;
    PendingGameProcess.reset();
    Tabs.DropWaitingTitle();
    return true;
}

// A process of this launcher ended. A pending login that ended without a word was cancelled. A process
// that ended with a modal window over the launcher (a login, a game's favourites or message box) can no
// longer enable it again: the launcher does so once nothing else holds it.
void CPlexo3Dlg::OnProcessEnded(DWORD pid) {
    Closing.erase(
        std::remove_if(Closing.begin(), Closing.end(), [pid](const ClosingTab& c) { return c.Pid == pid; }),
        Closing.end());
    Processes.Forget(pid);
    if (pid == ProcessIdOf(HallProcess))
        HallProcess.reset();
    if (pid == ProcessIdOf(PendingGameProcess))
        OnLoginCancelled();
    EnableUnlessHeld(pid);
}

namespace {

struct ModalSearch {
    HWND Launcher;
    HWND DropDown;
    DWORD Ended;
    bool Held;
};

// A window owned by the launcher that holds it disabled: a dialog of this process other than the
// drop-down (a message box, the settings), or any window of another live process (a login, a dialog
// of a game).
BOOL CALLBACK FindModalOverLauncher(HWND wnd, LPARAM parameter) {
    auto* search = reinterpret_cast<ModalSearch*>(parameter);
    if (::GetWindow(wnd, GW_OWNER) != search->Launcher || wnd == search->DropDown)
        return TRUE;
    const DWORD pid = ProcessOfWindow(wnd);
    if (pid == search->Ended)
        return TRUE;
    wchar_t className[16] = {};
    ::GetClassNameW(wnd, className, 16);
    if (pid == ::GetCurrentProcessId() && std::wstring(className) != L"#32770")
        return TRUE;
    search->Held = true;
    return FALSE;
}

} // namespace

void CPlexo3Dlg::EnableUnlessHeld(DWORD endedPid) {
    if (Exiting || ::IsWindowEnabled(GetSafeHwnd()))
        return;
    ModalSearch search{GetSafeHwnd(), AccountDialog.GetSafeHwnd(), endedPid, false};
    ::EnumWindows(FindModalOverLauncher, reinterpret_cast<LPARAM>(&search));
    if (!search.Held)
        ::EnableWindow(GetSafeHwnd(), TRUE);
}

bool CPlexo3Dlg::IsTabOrHall(HWND window) const {
    const std::vector<HWND> frames = Frames();
    return std::find(frames.begin(), frames.end(), window) != frames.end();
}

// Only a frame of a process this launcher started and still waits for registers: the pending login's
// as a tab, the hall process's as the hall, whatever the message says it is, and each once (the
// process's handle goes with its registration). Any other window (another program's, the desktop, one
// of ours, a tab past the limit) is ignored: the launcher would hide, move and at its end close it.
LRESULT CPlexo3Dlg::RegisterGameWindow(HWND window, BOOL) {
    if (!CForeignWnd(window).IsWindow() || IsTabOrHall(window))
        return 0;
    const FrameKind kind = ClassifyFrame(ProcessOfWindow(window), ProcessIdOf(PendingGameProcess),
                                         ProcessIdOf(HallProcess), Tabs.Count());
    if (kind == FrameKind::Refused)
        return 0;
    // The first registration, of a tab or of the hall, turns the 1 x 1 start window into the working
    // one, once: maximising is a toggle, so a second registration before any tab would undo it.
    if (!Running) {
        Running = true;
        OnMaximizeButton();
        SetTrayIcon(true);
        ::SetTimer(GetSafeHwnd(), LauncherTimerId, LauncherTimerMs, nullptr);
    }
    if (kind == FrameKind::Hall) {
        HallWindow = window;
        HallProcess.reset();
        return 0;
    }
    ShowTab(nullptr);
    if (HallWindow && ::IsWindow(HallWindow))
        CForeignWnd(HallWindow).ShowWindow(SW_HIDE);
    CurrentTab = Tabs.Register(window);
    PendingGameProcess.reset();
    InvalidateStripRect(ToRect(tabstrip::StripRect(Tabs.Count())));
    return 0;
}

BOOL CPlexo3Dlg::OnAccountLoggedIn(const COPYDATASTRUCT* data) {
    std::wstring title;
    if (!ReadTitle(data, title) || !Tabs.AcceptTitle(title))
        return FALSE;
    auto* url = new std::wstring(StatsUrl(LoginReportPath(AccountOfTitle(title), Tabs.TitleCount())));
    HANDLE thread = ::CreateThread(nullptr, 0, LoginReportThread, url, 0, nullptr);
    if (thread)
        ::CloseHandle(thread);
    else
        delete url;
    return TRUE;
}

// The message only says that the drop-down was answered: the answer itself is taken from the
// drop-down, so a message posted by another program, or a second one for the same showing, does nothing.
LRESULT CPlexo3Dlg::OnAddAccountChoice(WPARAM) {
    const int choice = AccountDialog.TakeAnswer();
    if (choice == 1) {
        if (Tabs.Count() >= MaxTabs)
            Ask(MB_OK, L"当前窗体只支持3个游戏页");
        else
            StartGameWindowProcess();
    } else if (choice == 0) {
        // A new launcher: the test build's stand-in program plays game windows only, so the launcher
        // itself is started.
        LaunchProgram();
    }
    return 0;
}

void CPlexo3Dlg::OnGameHallButton() {
    const CForeignWnd hall(HallWindow);
    if (hall.IsWindow() && ::IsWindowVisible(HallWindow)) {
        ShowTab(Tabs.WindowAt(CurrentTab));
        hall.ShowWindow(SW_HIDE);
        return;
    }
    if (hall.IsWindow()) {
        hall.MoveWindow(GameAreaRect());
        hall.ShowWindow(SW_SHOW);
        ShowTab(nullptr);
        return;
    }
    StartGameHallProcess();
    ShowTab(nullptr);
}

void CPlexo3Dlg::ShowTab(HWND window) {
    for (HWND tab : Tabs.TabWindows()) {
        const CForeignWnd frame(tab);
        if (tab != window) {
            frame.ShowWindow(SW_HIDE);
            continue;
        }
        // On top of the others: a hung tab cannot hide, and the shown one covers it.
        const RECT area = GameAreaRect();
        frame.SetWindowPos(HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                           SWP_NOACTIVATE);
        frame.ShowWindow(SW_SHOW);
        ActivateTab(tab);
        if (HallWindow && ::IsWindowVisible(HallWindow))
            CForeignWnd(HallWindow).ShowWindow(SW_HIDE);
    }
}

void CPlexo3Dlg::SwitchToNextTab() {
    if (Tabs.Empty() || !::IsWindowVisible(GetSafeHwnd()) || ::IsIconic(GetSafeHwnd()))
        return;
    const bool hallShown = HallWindow && ::IsWindowVisible(HallWindow);
    if (Tabs.Count() >= 2 && !hallShown) {
        InvalidateTab(CurrentTab);
        CurrentTab = Tabs.Next(CurrentTab);
        InvalidateTab(CurrentTab);
    }
    ShowTab(Tabs.WindowAt(CurrentTab));
}

void CPlexo3Dlg::CloseTab(int i) {
    if (i < 0 || i >= Tabs.Count())
        return;
    if (Tabs.Count() < 2) {
        InvalidateClose(i);
        HotTab = HotCloseState = -1;
        OnCancel();
        return;
    }
    const HWND window = Tabs.WindowAt(i);
    const std::wstring question = L"确定要退出账号：" + Tabs.TitleAt(i) + L" ?";
    const int answer = Ask(MB_YESNO, question);
    // The tabs may have changed while the question was open: act on the tab asked about, wherever it
    // is now, and on nothing if it went.
    i = -1;
    for (int k = 0; k < Tabs.Count(); ++k)
        if (Tabs.WindowAt(k) == window)
            i = k;
    if (i < 0 || Exiting)
        return;
    if (answer != IDYES) {
        InvalidateTab(i);
        HotTab = HotCloseState = -1;
        return;
    }
    if (Tabs.Count() < 2) { // the others went meanwhile: the last tab goes only with the launcher
        OnCancel();
        return;
    }
    const int next = Tabs.Remove(i);
    ShowTab(Tabs.WindowAt(next));
    CurrentTab = next;
    const CForeignWnd frame(window);
    if (!Responses.NotResponding(window))
        frame.SetParent(nullptr);
    frame.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    WatchClosingTab(window);
    HotTab = HotCloseState = -1;
    InvalidateStripRect(ToRect(tabstrip::StripRectWithFreedSlot(Tabs.Count())));
}

void CPlexo3Dlg::BroadcastSoundState(BOOL muted) {
    for (HWND tab : Tabs.TabWindows())
        CForeignWnd(tab).PostMessage(UM_SOUNDSTATE, muted ? 1 : 0, 0);
}

void CPlexo3Dlg::ExitLauncher() {
    if (Exiting)
        return;
    Exiting = true;
    ReleaseInputFromHungFrames();
    if (PendingGameProcess)
        ::TerminateProcess(PendingGameProcess.get(), 0);
    PendingGameProcess.reset();
    RemoveKeyboardHook();
    for (HWND tab : Tabs.TabWindows()) {
        if (Responses.NotResponding(tab)) {
            EndFrameProcess(tab); // it would neither take the close nor see the launcher go
            continue;
        }
        const CForeignWnd frame(tab);
        frame.SetParent(nullptr);
        frame.ShowWindow(SW_HIDE);
        frame.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    SetTrayIcon(false);
    if (UpdateCheckTarget)
        UpdateCheckTarget->Close();
    ::PostQuitMessage(0);
}

void CPlexo3Dlg::OpenAccountDialog() {
    ReleaseInputFromHungFrames();
    if (!AccountDialog.GetSafeHwnd() && !AccountDialog.Create(GetSafeHwnd()))
        return;
    const RECT link = AccountLink.GetWindowRect();
    const RECT dialog = AccountDialog.GetWindowRect();
    const int width = dialog.right - dialog.left;
    ::SetWindowPos(AccountDialog.GetSafeHwnd(), nullptr, link.right - width, link.bottom, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(AccountDialog.GetSafeHwnd(), SW_SHOW);
    AccountDialog.Offer();
}

} // namespace zarn
