// Start-up: the connectivity probe, the run mode and each mode's work, in a fixed order.
#include "app/Plexo3App_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <wininet.h>

#include "app/GameProcess_win.h"
#include "app/Program_win.h"
#include "app/Settings_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "browser/LoginBkDlg_win.h"
#include "crash/CrashDump_win.h"
#include "gamewnd/GameWindow_win.h"
#include "launcher/Plexo3Dlg_win.h"
#include "setup/Install_win.h"
#include "skin/MessageBox_win.h"
#include "stats/Statistics_win.h"
#include "testbuild/TestBuild.h"
#include "update/CacheCleanup_win.h"
#include "update/FlashCheck_win.h"
#include "update/SelfUpdate_win.h"

namespace zarn {

CPlexo3App::CPlexo3App() = default;
CPlexo3App::~CPlexo3App() = default;

namespace {

bool NetworkAvailable() {
    const std::wstring url = ProbeUrl();
    return ::InternetCheckConnectionW(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

// The test build tells the launcher which page the game window is to open (a WM_COPYDATA with
// dwData GameUrlReportData), so that a test sees the login hand over its result.
constexpr ULONG_PTR GameUrlReportData = 0x5A47554C;

void ReportGameUrlForTests() {
    HWND launcher = LauncherWindow();
    if (!testbuild::Enabled() || !launcher)
        return;
    COPYDATASTRUCT data{};
    data.dwData = GameUrlReportData;
    data.cbData = static_cast<DWORD>((GameUrl.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(GameUrl.c_str());
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                          &answer);
}

void WaitForever(const UniqueHandle& event) {
    if (event)
        ::WaitForSingleObject(event.get(), INFINITE);
}

// After a successful swap: start the new version (or the previous one when the new one cannot start),
// remember the day, and end.
void RestartAfterUpdate(bool recreateShortcuts) {
    StartUpdatedProgram(ProgramPath());
    WriteUpdateTime();
    if (recreateShortcuts) {
        ComInit com;
        CreateProgramShortcuts(ProgramPath());
    }
}

} // namespace

BOOL CPlexo3App::InitInstance() {
    ::SetUnhandledExceptionFilter(TopLevelExceptionFilter);

    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    // Once, before the first window: every message box and dialog is painted from skin images.
    Gdiplus = std::make_unique<GdiplusSession>();

    if (!NetworkAvailable()) {
        ShowMessageBox(MB_OK, product::Caption, product::NoNetworkText, nullptr);
        return FALSE;
    }

    const RunMode mode = GetRunMode();
    Reports.UrlCopiedEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Reports.ReportDoneEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

    // One-shot modes that end here (or after an update) before the per-mode work.
    switch (mode) {
    case RunMode::Uninstall:
        if (ShowMessageBox(MB_YESNO, product::Caption, product::ConfirmUninstallText, nullptr) == IDYES) {
            UninstallProgram(Reports);
            WaitForever(Reports.ReportDoneEvent);
        }
        return FALSE;
    case RunMode::Update:
        CheckForUpdate(Update, true); // run for the UpdateAddress it fills
        if (DownloadAndSwap(Update)) {
            RestartAfterUpdate(false);
            return FALSE;
        }
        break;
    case RunMode::Install:
    case RunMode::GameShortcut:
        if (CheckForUpdate(Update, false) && DownloadAndSwap(Update)) {
            RestartAfterUpdate(true);
            return FALSE;
        }
        break;
    default:
        break;
    }

    switch (mode) {
    case RunMode::Install:
        InstallProgram();
        ChooseDisabledDays();
        SendReport(ReportUrl(Report::Install, UpdateStatistic(StatisticKind::Inst)), Reports);
        WaitForever(Reports.ReportDoneEvent);
        return FALSE;
    case RunMode::PortalShortcut: {
        const std::wstring home = PortalHomeUrl();
        ::ShellExecuteW(nullptr, L"open", home.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
        SendReport(ReportUrl(Report::PortalStart, UpdateStatistic(StatisticKind::Mirel)), Reports);
        WaitForever(Reports.ReportDoneEvent);
        return FALSE;
    }
    case RunMode::GameShortcut:
    case RunMode::Installed:
        RunLauncherStartStatistics(Reports);
        break;
    default:
        break;
    }
    return RunModeWork(mode);
}

// Modes 2, 3, 5, 6 and 7 after the statistics: the cache limit, then a game window or the launcher.
BOOL CPlexo3App::RunModeWork(RunMode mode) {
    SetCacheLimit();
    if (mode == RunMode::NewGameWindow || mode == RunMode::GameHallWindow) {
        if (FAILED(::OleInitialize(nullptr))) {
            ShowMessageBox(MB_OK, product::Caption, product::OleFailedText, nullptr);
            return FALSE;
        }
        OleInitialized = true;
        // A launcher handle that names no window leaves the login without an owner and tells nobody.
        if (mode == RunMode::NewGameWindow && RunLoginBackdrop(LauncherWindow()) == IDCANCEL) {
            PostToLauncher(WM_SYSCOMMAND, SC_CLOSE, 6021);
            return FALSE;
        }
        if (mode == RunMode::NewGameWindow)
            ReportGameUrlForTests();
        GameWindowTemplate = CreateGameWindow();
        return GameWindowTemplate ? TRUE : FALSE;
    }

    if (!IsFlashPlayerCurrent() &&
        ShowMessageBox(MB_YESNO, product::Caption, product::OldFlashText, nullptr) == IDYES) {
        const std::wstring page = FlashDownloadUrl();
        ::ShellExecuteW(nullptr, L"open", L"iexplore.exe", page.c_str(), nullptr, SW_SHOWMAXIMIZED);
        return FALSE;
    }
    RunLauncherWindow();
    return FALSE;
}

int CPlexo3App::ExitInstance() {
    // The browser goes while OLE is still there.
    GameWindowTemplate.reset();
    WaitForPendingReports(5000);
    Reports.UrlCopiedEvent.reset();
    Reports.ReportDoneEvent.reset();
    Gdiplus.reset();
    if (OleInitialized) {
        ::OleUninitialize();
        OleInitialized = false;
    }
    return CWinApp::ExitInstance();
}

} // namespace zarn
