// CPlexo3Dlg: the launcher window. A skinned, resizable container whose caption holds the tab strip and
// five controls; the game windows are frames of other processes that make themselves its children.
// It starts them, keeps the list of tabs and accounts, shows one at a time, pushes the sound flag to
// them, and owns the tray icon and the launcher menu.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/AddAccDlg_win.h"
#include "framework/Controls.h"
#include "framework/ForeignWnd.h"
#include "framework/Handle.h"
#include "framework/HiddenWindows.h"
#include "launcher/ProcessWatch_win.h"
#include "launcher/TabList.h"
#include "launcher/TabResponses.h"
#include "protocol/HotKey.h"
#include "skin/BtnEx_win.h"
#include "skin/DlgEx_win.h"
#include "skin/StaticEx_win.h"

namespace zarn {

class CDialog;
class PostTarget;

class CPlexo3Dlg : public CDlgEx {
  public:
    CPlexo3Dlg();
    ~CPlexo3Dlg() override;

    // The keyboard hook's decisions, posted to this window (wParam: the action).
    static constexpr UINT UM_HOTKEYPRESSED = WM_APP + 0x103;
    enum HotKeyAction : WPARAM { BossKeyAction = 1, SoundKeyAction = 2 };

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    // The update check's answer, posted from its thread: wParam 1 when the published key differs.
    static constexpr UINT UM_UPDATECHECKED = WM_APP + 0x102;
    static constexpr UINT LauncherTimerId = 3;
    static constexpr UINT LauncherTimerMs = 400;

    // The window and its caption controls (Plexo3Dlg_win.cpp).
    void SetupSkin();
    void CreateToolTip();
    void LoadTabImages(CImageList& list, UINT pngId);
    LRESULT OnSize(WPARAM type, LPARAM size);
    bool OnWindowPosChanging(WINDOWPOS& pos);
    void OnTimer();
    RECT GameAreaRect() const;
    void MoveToGameArea(HWND window) const;

    // The boss key (BossKey_win.cpp).
    void ToggleLauncherVisible();
    void BringWindowToFront();

    // The keyboard hook and the hot keys (KeyboardHook_win.cpp).
    static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM w, LPARAM l);
    static void OnHookedKey(int code, WPARAM w, LPARAM l);
    void InstallKeyboardHook();
    void RemoveKeyboardHook();
    // Runs a hot key's action; false for an unknown one.
    bool OnHotKeyPressed(WPARAM action);
    // Reads the three hot keys and tells the game windows to read theirs.
    LRESULT LoadHotKeys();

    // The launcher menu and the tray (LauncherMenus_win.cpp): the system variant under button 1003,
    // or the tray variant at the cursor.
    void ShowLauncherMenu(bool trayVariant);
    void RunMenuCommand(UINT_PTR id);
    void StartUpdateCheck();
    void OnUpdateChecked(bool differs);
    // Starts "<program> /update" at idle priority; a failure is ignored.
    void StartUpdateProcess();
    void RunSettingsDialog();
    std::wstring BossKeyText() const;
    void SetTrayIcon(bool add);
    void OnTrayNotify(LPARAM mouseMessage);

    // Tabs, accounts and the processes behind them (LauncherTabs_win.cpp).
    std::wstring GameProgramPath() const;
    void StartGameWindowProcess();
    void StartGameHallProcess();
    LRESULT RegisterGameWindow(HWND window, BOOL isHall);
    BOOL OnAccountLoggedIn(const COPYDATASTRUCT* data);
    void OpenAccountDialog();
    LRESULT OnAddAccountChoice(WPARAM choice);
    void OnGameHallButton();
    void ShowTab(HWND window);
    void SwitchToNextTab();
    void CloseTab(int i);
    void BroadcastSoundState(BOOL muted);
    void ExitLauncher();
    bool OnLoginCancelled();
    void OnProcessEnded(DWORD pid);
    void EnableUnlessHeld(DWORD endedPid);
    bool IsTabOrHall(HWND window) const;

    // Whether the game frames (the tabs and the hall) answer (FrameResponses_win.cpp).
    // A message box of the launcher (caption "MirelCorvale"), once no hung frame holds the input.
    int Ask(UINT type, const std::wstring& text);
    std::vector<HWND> Frames() const;
    HWND FrameOfWindow(HWND window) const;
    void CheckFramesAnswer();
    void OnFrameAnswered(HWND frame);
    bool FrameAnswers(HWND frame);
    void OnFrameStoppedAnswering(HWND frame);
    void ReleaseInputFromHungFrames();
    void ActivateTab(HWND tab);
    bool MayRestoreFocus();
    void EndFrameProcess(HWND frame);
    void EndStartedProcess(DWORD pid);
    void WatchClosingTab(HWND tab);
    void EndTabsThatDidNotClose();
    static void CALLBACK FrameAnswered(HWND frame, UINT, ULONG_PTR, LRESULT);

    // Tab strip painting and mouse handling (TabStripPaint_win.cpp).
    BOOL PaintWithTabs(HDC dc);
    void DrawTabs(HDC dc);
    bool HandleStripMouse(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    void OnStripHitTest(POINT screen, LRESULT baseHit);
    void PressTab(POINT client);
    bool ReleaseOnStrip(POINT client);
    bool MiddleReleaseOnStrip(POINT client);
    void ClearHot();
    void InvalidateTab(int i);
    void InvalidateClose(int i);
    void InvalidateStripRect(const RECT& rect);

    HICON Icon = nullptr;                                             // shared resource icon, not destroyed
    CBtnEx HideButton;                                                // 1001
    CBtnEx SoundButton;                                               // 1002
    CBtnEx SystemButton;                                              // 1003
    CBtnEx HallButton;                                                // 1004
    CStaticEx AccountLink;                                            // 1005
    UniqueBitmap MinimizeImage, CloseImage;                           // read by the title buttons
    UniqueBitmap SoundOnImage, MutedImage, HallImage, HallShownImage; // buttons 1002 and 1004
    BOOL SoundMuted = FALSE;
    BOOL HallButtonState = FALSE;
    BOOL ShownSoundState = -1; // what button 1002 last showed: -1, neither, until the first tick sets it
    OSVERSIONINFOW OsVersion{};
    int LastWidthSeen = 0;
    bool TrayIconAdded = false;
    bool Exiting = false;
    bool Running = false; // a game window has registered: maximised, tray icon, timer

    HWND HallWindow = nullptr;
    UniqueHandle PendingGameProcess;
    // The hall process started last, until its frame registers.
    UniqueHandle HallProcess;
    // Every game-window process this launcher started, while it runs.
    ProcessWatch Processes;
    TabList<HWND> Tabs; // TabWindows and TabTitles, kept in step
    int CurrentTab = 0;
    CAddAccDlg AccountDialog;
    // The settings dialog while it runs modally from the launcher menu; null otherwise.
    CDialog* ModalDialog = nullptr;

    UniqueHook KeyboardHook;
    HotKey BossKey, SwitchKey, SoundKey;
    HiddenWindows BossHidden; // the launcher's windows the boss key put away

    CImageList TabImages;
    CImageList CloseImages;
    int HotTab = -1;
    int HotCloseState = -1;
    BOOL TooltipActive = FALSE;
    CToolTipCtrl ToolTip;
    BOOL MouseTracking = FALSE;

    TabResponses<HWND> Responses;
    HWND LastFocus = nullptr;           // the focus when the launcher was last deactivated
    std::vector<DWORD> DetachedThreads; // frames' threads whose input was taken off the launcher's
    struct ClosingTab {
        DWORD Pid;
        DWORD Since;
    };
    std::vector<ClosingTab> Closing;               // closed tabs whose processes have not ended yet
    std::shared_ptr<PostTarget> UpdateCheckTarget; // where a running update check reports
};

// The one launcher window of this process (the keyboard hook and the frames' answers use it); null
// when there is none.
extern CPlexo3Dlg* TheLauncher;

// Shows the launcher window modally; returns when it closes.
void RunLauncherWindow();

} // namespace zarn
