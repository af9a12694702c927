// The client download dialog against the local portal: the configuration page of the game's code,
// the installer downloaded into the temporary folder, started (a stand-in that leaves a marker and
// ends) and deleted; redirects of its address; an installer replaced after its download; the failures
// and their titles and buttons; Esc ignored; the close button cancelling a stalled download at once;
// codes that start nothing.
#include "dialogs/DownGameDlg_win.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BuildHosts.h"
#include "app/Program_win.h"
#include "support/LauncherTestSupport_win.h"
#include "support/NetTestSupport_win.h"
#include "support/SkinTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "support/Xdotool_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const std::wstring Downloading = L"游戏下载中...";
const std::wstring Done = L"下载完成";
const std::wstring Failed = L"下载失败";
constexpr DWORD WaitMs = 20000;

std::wstring Port() {
    const std::wstring host = build::StatsHost;
    return host.substr(host.find(L':') + 1);
}

std::wstring UnixPath(const std::wstring& windowsPath) {
    std::wstring path = windowsPath.substr(2); // drop "Z:"
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::wstring TextOf(HWND wnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(wnd, text, 256);
    return text;
}

// The dialogs' downloads take their time: every wait here allows WaitMs.
template <typename Pred> bool PollUntil(Pred done) {
    return WaitFor(done, WaitMs);
}

struct DialogSearch {
    HWND Found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND wnd, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    const std::wstring title = TextOf(wnd);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(wnd) ||
        (title != Downloading && title != Done && title != Failed))
        return TRUE;
    reinterpret_cast<DialogSearch*>(param)->Found = wnd;
    return FALSE;
}

// The dialog's window under whichever of its titles it shows by now.
HWND FindDialog() {
    DialogSearch search;
    PollUntil([&] {
        ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.Found != nullptr;
    });
    return search.Found;
}

bool IsRunning(const wchar_t* exeName) {
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0)
            return true;
    return false;
}

std::wstring TempFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    return folder + name;
}

// What a driver saw, checked on the test's thread afterwards.
struct Seen {
    std::wstring Title;
    bool OkEnabled = false;
    bool CancelEnabled = false;
    int Position = -1;
    bool Note(HWND wnd) {
        Title = TextOf(wnd);
        OkEnabled = ::IsWindowEnabled(::GetDlgItem(wnd, IDOK)) != FALSE;
        CancelEnabled = ::IsWindowEnabled(::GetDlgItem(wnd, IDCANCEL)) != FALSE;
        Position = static_cast<int>(::SendDlgItemMessageW(wnd, IDC_DOWNGAMEPROGRESS, PBM_GETPOS, 0, 0));
        return true;
    }
};

// Runs the dialog on this thread while `drive` gets its window on another; a dialog that never shows
// is cancelled, so that the test fails instead of hanging.
INT_PTR RunDialog(CDownGameDlg& dialog, const std::function<void(HWND)>& drive) {
    INT_PTR result = -100;
    {
        BackgroundDriver driver([&] {
            HWND wnd = FindDialog();
            if (!ShownElseCancel(wnd, dialog.GetSafeHwnd()))
                return;
            drive(wnd);
        });
        result = dialog.DoModal();
    }
    return result;
}

bool WaitForTitle(HWND wnd, const std::wstring& title) {
    return PollUntil([&] { return TextOf(wnd) == title; });
}

class DownGameDlg : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(PortalControl(L"/__portal/reset"));
        Installer = TempFile(L"Zarn2.exe");
        Ini = PathBesideProgram(L"Zarn2.ini");
        Marker = MakeScratchFolder(L"downgame") + L"\\started.txt";
        ::DeleteFileW(Installer.c_str());
        ::DeleteFileW(Ini.c_str());
        ::SetEnvironmentVariableW(L"ZARN_TEST_MARKER", Marker.c_str());
        ASSERT_TRUE(PortalControl(L"/__portal/file?path=/files/Zarn2.exe&src=" +
                                  QueryEscape(UnixPath(TestExeFolder() + L"zarn_markerinstaller.exe"))));
        From = PortalLog().size();
    }
    void TearDown() override {
        PortalControl(L"/__portal/reset");
        ::SetEnvironmentVariableW(L"ZARN_TEST_MARKER", nullptr);
        PollUntil([] { return !IsRunning(L"Zarn2.exe"); });
        ::DeleteFileW(Installer.c_str());
        ::DeleteFileW(Ini.c_str());
    }
    bool Configure(const std::wstring& address) {
        return PortalControl(L"/__portal/config?code=Zarn2&key=K&updaddr=" + QueryEscape(address));
    }
    std::wstring AllowedAddress() const { return L"http://localhost:" + Port() + L"/files/Zarn2.exe"; }

    std::wstring Installer, Ini, Marker;
    size_t From = 0;
};

} // namespace

TEST_F(DownGameDlg, FetchesTheCodesConfigurationDownloadsStartsAndDeletesTheInstaller) {
    ASSERT_TRUE(Configure(AllowedAddress()));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen seen;
    bool started = false, deleted = false;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd) {
        WaitForTitle(wnd, Done);
        seen.Note(wnd);
        started = PollUntil([&] { return FileExists(Marker); });
        deleted = PollUntil([&] { return !FileExists(Installer); });
        ClickButton(wnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.Title, Done);
    EXPECT_TRUE(seen.OkEnabled);
    EXPECT_FALSE(seen.CancelEnabled);
    EXPECT_EQ(seen.Position, 100);
    EXPECT_EQ(dialog.StatusLabel.Text, L"已加载  100%");
    EXPECT_EQ(dialog.InstallerPath, Installer);
    EXPECT_TRUE(started) << "the installer did not run";
    EXPECT_TRUE(deleted) << "the installer stayed in the temporary folder";
    // The installer was started from the temporary folder as "<code>.exe", with no arguments.
    const std::string marker = ReadFileBytes(Marker);
    const std::wstring said(reinterpret_cast<const wchar_t*>(marker.data()), marker.size() / sizeof(wchar_t));
    EXPECT_EQ(said, Installer + L"\n\"" + Installer + L"\"\ngenuine installer");
    EXPECT_EQ(LoggedPaths(From, "/update/"), std::vector<std::string>{"/update/ConfigZarn2.htm"});
    EXPECT_EQ(LoggedPaths(From, "/files/"), std::vector<std::string>{"/files/Zarn2.exe"});
    EXPECT_FALSE(FileExists(Ini)) << "the configuration file is deleted once read";
    EXPECT_TRUE(PollUntil([] { return !IsRunning(L"Zarn2.exe"); })) << "the installer stand-in still runs";
}

TEST_F(DownGameDlg, AnIncompleteConfigurationFailsWithOKDisabledAndItsFileBesideTheProgram) {
    ASSERT_TRUE(Configure(AllowedAddress()));
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/update/ConfigZarn2.htm&kind=short"));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen seen;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd) {
        WaitForTitle(wnd, Failed);
        seen.Note(wnd);
        ClickButton(wnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen.Title, Failed);
    EXPECT_FALSE(seen.OkEnabled);
    EXPECT_TRUE(seen.CancelEnabled);
    EXPECT_TRUE(FileExists(Ini)) << "the partial configuration stays beside the program";
    EXPECT_TRUE(LoggedPaths(From, "/files/").empty());
    EXPECT_FALSE(FileExists(Installer));
}

TEST_F(DownGameDlg, AnAddressOutsideTheAllowedDomainsIsNeverRequested) {
    // 127.0.0.1 is the same portal, but not one of the build's download domains.
    ASSERT_TRUE(Configure(L"http://127.0.0.1:" + Port() + L"/files/Zarn2.exe"));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen seen;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd) {
        WaitForTitle(wnd, Failed);
        PollUntil([&] { return ::IsWindowEnabled(::GetDlgItem(wnd, IDOK)) != FALSE; });
        seen.Note(wnd);
        ClickButton(wnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.Title, Failed);
    EXPECT_TRUE(seen.OkEnabled);
    EXPECT_FALSE(seen.CancelEnabled);
    EXPECT_EQ(LoggedPaths(From, "/update/"), std::vector<std::string>{"/update/ConfigZarn2.htm"});
    EXPECT_TRUE(LoggedPaths(From, "/files/").empty());
    EXPECT_FALSE(FileExists(Marker));
    EXPECT_FALSE(FileExists(Installer));
}

// A download address that redirects out of the allowed domains ("localhost" is one, "127.0.0.1", the
// same portal, is not) is not followed: nothing is requested there, written or started.
TEST_F(DownGameDlg, ARedirectOutOfTheAllowedDomainsIsNotFollowedAndNothingRuns) {
    ASSERT_TRUE(Configure(L"http://localhost:" + Port() + L"/redirect?to=" +
                          QueryEscape(L"http://127.0.0.1:" + Port() + L"/files/Zarn2.exe")));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen seen;
    RunDialog(dialog, [&](HWND wnd) {
        WaitForTitle(wnd, Failed);
        PollUntil([&] { return ::IsWindowEnabled(::GetDlgItem(wnd, IDOK)) != FALSE; });
        seen.Note(wnd);
        ClickButton(wnd, IDOK);
    });
    EXPECT_EQ(seen.Title, Failed);
    EXPECT_EQ(LoggedPaths(From, "/redirect").size(), 1u);
    EXPECT_TRUE(LoggedPaths(From, "/files/").empty());
    EXPECT_FALSE(FileExists(Marker));
    EXPECT_FALSE(FileExists(Installer));
}

TEST_F(DownGameDlg, ARedirectWithinTheAllowedDomainsIsFollowed) {
    ASSERT_TRUE(Configure(L"http://localhost:" + Port() + L"/redirect?hops=2&to=%2Ffiles%2FZarn2.exe"));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen seen;
    RunDialog(dialog, [&](HWND wnd) {
        WaitForTitle(wnd, Done);
        seen.Note(wnd);
        ClickButton(wnd, IDOK);
    });
    EXPECT_EQ(seen.Title, Done);
    EXPECT_EQ(LoggedPaths(From, "/files/"), std::vector<std::string>{"/files/Zarn2.exe"});
    EXPECT_TRUE(PollUntil([&] { return FileExists(Marker); }));
}

// Another process renames its own program over the installer as soon as it can. What starts is the
// downloaded program or nothing ("下载失败"), never the other one; three rounds, as the other process
// may or may not come first.
TEST_F(DownGameDlg, AnInstallerReplacedAfterItsDownloadNeverRuns) {
    ASSERT_TRUE(Configure(AllowedAddress()));
    std::string other = ReadFileBytes(TestExeFolder() + L"zarn_markerinstaller.exe");
    const std::wstring genuine = L"genuine installer", swapped = L"swapped installer";
    const std::string from(reinterpret_cast<const char*>(genuine.data()), genuine.size() * sizeof(wchar_t));
    const size_t at = other.find(from);
    ASSERT_NE(at, std::string::npos);
    other.replace(
        at, from.size(),
        std::string(reinterpret_cast<const char*>(swapped.data()), swapped.size() * sizeof(wchar_t)));
    const std::wstring otherPath = TempFile(L"Zarn2-other.exe");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ::DeleteFileW(Marker.c_str());
        {
            std::ofstream out(otherPath.c_str(), std::ios::binary | std::ios::trunc);
            out << other;
        }
        std::atomic<bool> stop{false}, replaced{false};
        std::thread swapper([&] {
            while (!stop && !replaced)
                if (FileExists(Installer) &&
                    ::MoveFileExW(otherPath.c_str(), Installer.c_str(), MOVEFILE_REPLACE_EXISTING))
                    replaced = true;
        });
        CDownGameDlg dialog(L"Zarn2", nullptr);
        Seen seen;
        RunDialog(dialog, [&](HWND wnd) {
            PollUntil([&] { return TextOf(wnd) != Downloading; });
            seen.Note(wnd);
            if (seen.Title == Done)
                PollUntil([&] { return FileExists(Marker); });
            ClickButton(wnd, IDOK);
        });
        stop = true;
        swapper.join();
        PollUntil([] { return !IsRunning(L"Zarn2.exe"); }); // its marker is complete
        const std::string marker = ReadFileBytes(Marker);
        const std::wstring said(reinterpret_cast<const wchar_t*>(marker.data()),
                                marker.size() / sizeof(wchar_t));
        EXPECT_EQ(said.find(swapped), std::wstring::npos) << "the other program ran";
        if (seen.Title == Done)
            EXPECT_NE(said.find(genuine), std::wstring::npos);
        else
            EXPECT_EQ(seen.Title, Failed);
        ::DeleteFileW(Installer.c_str());
        ::DeleteFileW(otherPath.c_str());
    }
}

TEST_F(DownGameDlg, EscIsIgnoredAndTheCloseButtonCancelsAStalledDownloadAtOnce) {
    ASSERT_TRUE(Configure(AllowedAddress()));
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/Zarn2.exe&kind=stall&seconds=60"));
    const DWORD uiThread = ::GetCurrentThreadId();
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Seen afterEsc;
    bool inputOk = false, closed = false;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd) {
        // Half the installer arrives, then nothing: the worker waits in the middle of its read.
        PollUntil([&] { return ::SendDlgItemMessageW(wnd, IDC_DOWNGAMEPROGRESS, PBM_GETPOS, 0, 0) > 0; });
        QueueWatch watch(uiThread);
        inputOk = watch.ok() && RealClick(watch, wnd) && RealKey(watch, L"Escape", VK_ESCAPE);
        afterEsc.Note(wnd);
        HWND close = ::GetDlgItem(wnd, CDlgEx::CloseButtonId);
        closed = close && RealClick(watch, close) && PollUntil([&] { return !::IsWindow(wnd); });
        if (!closed)
            ClickButton(wnd, IDCANCEL); // ends the dialog all the same, so that the test fails, not hangs
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(inputOk);
    EXPECT_TRUE(closed) << "the close button did not end the dialog";
    EXPECT_EQ(afterEsc.Title, Downloading) << "Esc must not interrupt the download";
    EXPECT_GT(afterEsc.Position, 0);
    EXPECT_LT(afterEsc.Position, 100);
    EXPECT_FALSE(afterEsc.OkEnabled);
    EXPECT_TRUE(afterEsc.CancelEnabled);
    // Nothing of the transfer is open any more: the partial installer goes at once.
    EXPECT_TRUE(::DeleteFileW(Installer.c_str())) << "error " << ::GetLastError();
    EXPECT_FALSE(FileExists(Marker));
}

TEST_F(DownGameDlg, AnEmptyOrUnsafeCodeStartsNothing) {
    for (const std::wstring code : {L"", L"../Zarn2", L"..\\..\\Zarn2", L"Zarn2/x", L"Zarn 2", L"C:Zarn2"}) {
        CDownGameDlg dialog(code, nullptr);
        Seen seen;
        bool quiet = false;
        const INT_PTR result = RunDialog(dialog, [&](HWND wnd) {
            // A worker would ask for a configuration page within moments, and fail on it here (the
            // portal has none for such codes): neither may happen.
            quiet = !WaitFor(
                [&] { return TextOf(wnd) != Downloading || !LoggedPaths(From, "/update/").empty(); }, 1500);
            seen.Note(wnd);
            ClickButton(wnd, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL) << testing::PrintToString(code);
        EXPECT_TRUE(quiet) << testing::PrintToString(code);
        EXPECT_EQ(seen.Title, Downloading) << testing::PrintToString(code);
        EXPECT_TRUE(dialog.ConfigUrl.empty()) << testing::PrintToString(code);
        EXPECT_TRUE(dialog.InstallerPath.empty()) << testing::PrintToString(code);
    }
    EXPECT_TRUE(LoggedPaths(From, "/").empty());
}

TEST(DialogGallery, ShowsTheClientDownloadDialog) {
    ASSERT_TRUE(PortalControl(L"/__portal/reset"));
    ASSERT_TRUE(PortalControl(L"/__portal/file?path=/files/Zarn2.exe&src=" +
                              QueryEscape(UnixPath(TestExeFolder() + L"zarn_wintests.exe"))));
    ASSERT_TRUE(PortalControl(L"/__portal/config?code=Zarn2&key=K&updaddr=" +
                              QueryEscape(L"http://localhost:" + Port() + L"/files/Zarn2.exe")));
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/Zarn2.exe&kind=stall&seconds=60"));
    CDownGameDlg dialog(L"Zarn2", nullptr);
    Capture shot;
    std::wstring saved = L"-";
    RunDialog(dialog, [&](HWND wnd) {
        PollUntil([&] { return ::SendDlgItemMessageW(wnd, IDC_DOWNGAMEPROGRESS, PBM_GETPOS, 0, 0) >= 40; });
        ::SetWindowPos(wnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        shot = CaptureWindowSettled(wnd);
        if (!GalleryFolder().empty())
            saved = SaveGalleryShot(wnd, L"client-download-dialog");
        ClickButton(wnd, IDCANCEL);
    });
    PortalControl(L"/__portal/reset");
    ::DeleteFileW(TempFile(L"Zarn2.exe").c_str());
    EXPECT_FALSE(saved.empty());
    ASSERT_GT(shot.Width, 0);
    std::vector<COLORREF> colours(shot.Pixels);
    std::sort(colours.begin(), colours.end());
    EXPECT_GE(std::unique(colours.begin(), colours.end()) - colours.begin(), 3) << "a flat picture";
}
