// The self-update through the program itself: the throttled check of the game shortcut and the forced
// one of "/update", against configuration pages and downloads served by the local portal.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "BuildHosts.h"
#include "base/Product.h"
#include "app/Program_win.h"
#include "base/Strings.h"
#include "net/Http_win.h"
#include "support/NetTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "app/Plexo3App_win.h"
#include "update/Md5.h"
#include "update/PrgsDlg_win.h"
#include "update/SelfUpdate_win.h"
#include "update/VersionKey.h"

using namespace zarn;
using namespace zarn::test;

namespace {

std::wstring Port() {
    const std::wstring host = build::StatsHost;
    return host.substr(host.find(L':') + 1);
}

std::wstring UnixPath(std::wstring path) {
    for (auto& c : path)
        if (c == L'\\')
            c = L'/';
    return path.substr(2);
}

class UpdateFlow : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        PortalControl(L"/__portal/reset");
        Launcher = InstalledCopy();
        Original = ReadFileBytes(Launcher);
        // The "new build": the same program with bytes appended, so that it runs and differs.
        NewBuild = Original + std::string("\0new build 3.0.0.3", 18);
        const std::wstring payload = MakeScratchFolder(L"updateflow") + L"\\Zarn-new.exe";
        std::ofstream(payload.c_str(), std::ios::binary) << NewBuild;
        ASSERT_TRUE(
            PortalControl(L"/__portal/file?path=/files/Zarn.exe&src=" + QueryEscape(UnixPath(payload))));
        LogStart = PortalLog().size();
    }
    void TearDown() override {
        PortalControl(L"/__portal/reset");
        ResetProgramState();
    }

    // Serves these bytes as the download instead of the new build.
    void Serve(const std::string& bytes) {
        const std::wstring file = MakeScratchFolder(L"updateflow-served") + L"\\served.bin";
        std::ofstream(file.c_str(), std::ios::binary) << bytes;
        ASSERT_TRUE(PortalControl(L"/__portal/file?path=/files/Zarn.exe&src=" + QueryEscape(UnixPath(file))));
    }
    // The program is as before, with no old copy beside it.
    void ExpectProgramKept() const {
        EXPECT_EQ(ReadFileBytes(Launcher), Original);
        EXPECT_FALSE(FileExists(Beside(L"OldZarn.exe")));
    }

    void Publish(const std::wstring& key, const std::wstring& address) {
        ASSERT_TRUE(PortalControl(L"/__portal/config?code=Zarn&key=" + QueryEscape(key) + L"&updaddr=" +
                                  QueryEscape(address)));
    }
    std::wstring Download() const { return L"http://localhost:" + Port() + L"/files/Zarn.exe"; }
    std::wstring NewBuildKey() const { return VersionKeyOf(Md5Hex(NewBuild), L"3003"); }
    std::wstring Beside(const wchar_t* name) const { return InstallFolder() + L"\\" + name; }

    // The restarted program (no arguments, inside the install folder: an ordinary launcher start)
    // announces itself with the launcher-start report.
    bool RestartedProgramReported() const {
        for (int i = 0; i < 300; ++i) {
            if (!LoggedPaths(LogStart, "/active.htm?tag=zarn&").empty())
                return WaitUntilWritable(Launcher);
            ::Sleep(100);
        }
        return false;
    }

    std::wstring Launcher;
    std::string Original, NewBuild;
    size_t LogStart = 0;
};

TEST_F(UpdateFlow, AnEqualKeyInAnyLetterCaseMeansNoUpdate) {
    Publish(AsciiUpper(VersionKey(Launcher)), Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    EXPECT_EQ(LoggedPaths(LogStart, "/update/ConfigZarn.htm").size(), 1u);
    EXPECT_TRUE(LoggedPaths(LogStart, "/files/").empty());
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
    EXPECT_FALSE(FileExists(Beside(L"NewZarn.exe")));
    EXPECT_FALSE(FileExists(Beside(L"ConfigZarn.htm"))) << "the configuration file is deleted after reading";
    EXPECT_EQ(LoggedPaths(LogStart, "/active.htm?tag=zarn&").size(), 1u) << "the start goes on";
}

TEST_F(UpdateFlow, AnEmptyKeyOrAFailedFetchMeansNoUpdate) {
    Publish(L"", Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    Publish(NewBuildKey() + std::wstring(40, L'0'), Download()); // longer than its 63 characters
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    PortalControl(L"/__portal/fault?path=/update/ConfigZarn.htm&kind=404");
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    EXPECT_EQ(LoggedPaths(LogStart, "/update/ConfigZarn.htm").size(), 3u);
    EXPECT_TRUE(LoggedPaths(LogStart, "/files/").empty());
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
}

TEST_F(UpdateFlow, ADifferentKeyDownloadsSwapsAndRestarts) {
    Publish(NewBuildKey(), Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn.exe").size(), 1u);
    EXPECT_EQ(ReadFileBytes(Launcher), NewBuild);
    EXPECT_EQ(ReadFileBytes(Beside(L"OldZarn.exe")), Original);
    EXPECT_FALSE(FileExists(Beside(L"NewZarn.exe")));
    EXPECT_TRUE(RestartedProgramReported());
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, product::RegistryKey)) << "UpdTime written";

    // The check ran today: the next start does not fetch the configuration again.
    const size_t before = PortalLog().size();
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    EXPECT_TRUE(LoggedPaths(before, "/update/").empty());
}

TEST_F(UpdateFlow, AnOverlongAddressIsRefusedNotCut) {
    // Cut to 511 characters this address would name /files/Zarn.exe on an allowed host.
    const std::wstring address = Download() + L"?" + std::wstring(600 - Download().size(), L'x');
    Publish(NewBuildKey(), address);
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(LoggedPaths(LogStart, "/update/ConfigZarn.htm").size(), 1u);
    EXPECT_TRUE(LoggedPaths(LogStart, "/files/").empty());
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
}

TEST_F(UpdateFlow, UpdateModeSwapsAndRestarts) {
    Publish(NewBuildKey(), Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(ReadFileBytes(Launcher), NewBuild);
    EXPECT_EQ(ReadFileBytes(Beside(L"OldZarn.exe")), Original);
    EXPECT_FALSE(FileExists(Beside(L"NewZarn.exe")));
    EXPECT_TRUE(RestartedProgramReported());
}

TEST_F(UpdateFlow, AFailedDownloadLeavesTheProgramRunningAsALauncher) {
    Publish(NewBuildKey(), Download());
    PortalControl(L"/__portal/fault?path=/files/Zarn.exe&kind=500");
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn.exe").size(), 1u);
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
    EXPECT_FALSE(FileExists(Beside(L"OldZarn.exe")));

    // A key that does not match what arrives: refused as well.
    PortalControl(L"/__portal/fault?path=/files/Zarn.exe&kind=none");
    Publish(L"00000000000000000000000000003003", Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD"));
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
    EXPECT_FALSE(FileExists(Beside(L"OldZarn.exe")));
}

TEST_F(UpdateFlow, AStalledConfigurationHostDelaysTheStartOnlyByTheReceiveTimeout) {
    Publish(NewBuildKey(), Download());
    PortalControl(L"/__portal/fault?path=/update/ConfigZarn.htm&kind=stall&seconds=300");
    ASSERT_TRUE(RunToEnd(Launcher, L"/ZarnD", 90000));
    EXPECT_EQ(LoggedPaths(LogStart, "/update/ConfigZarn.htm").size(), 1u) << "asked once, never again";
    EXPECT_EQ(ReadFileBytes(Launcher), Original);
    ASSERT_EQ(LoggedPaths(LogStart, "/active.htm?tag=zarn&").size(), 1u) << "the start goes on";
    // On the portal's clock: the start went on after one receive timeout, not after the stall (300 s)
    // nor after a second wait.
    const double waited =
        LoggedTime(LogStart, "/active.htm") - LoggedTime(LogStart, "/update/ConfigZarn.htm");
    const double timeout = HttpTimeoutMs / 1000.0;
    EXPECT_GE(waited, timeout - 0.5);
    EXPECT_LT(waited, 2 * timeout);
}

TEST_F(UpdateFlow, AnEmptyDownloadMatchingItsKeyIsNotInstalled) {
    Serve("");
    Publish(VersionKeyOf(Md5Hex(""), L"3003"), Download()); // d41d8cd98f00b204e9800998ecf8 and 3003
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn.exe").size(), 1u);
    ExpectProgramKept();
    ASSERT_TRUE(RunToEnd(Launcher, L"/update")) << "the program still starts";
}

TEST_F(UpdateFlow, AnErrorPageWithoutAKeyIsNotInstalled) {
    Serve("<html><body><h1>Error</h1><p>The file is not here.</p></body></html>\r\n");
    Publish(L"", Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn.exe").size(), 1u);
    ExpectProgramKept();
    ASSERT_TRUE(RunToEnd(Launcher, L"/update")) << "the program still starts";
}

TEST_F(UpdateFlow, ANewProgramThatCannotStartGivesWayToTheOldOne) {
    // The headers of the program with nothing behind them: a program by its look, but it cannot load.
    const std::string broken = Original.substr(0, 1024);
    Serve(broken);
    Publish(VersionKeyOf(Md5Hex(broken), L"3003"), Download());
    ASSERT_TRUE(RunToEnd(Launcher, L"/update"));
    EXPECT_EQ(LoggedPaths(LogStart, "/files/Zarn.exe").size(), 1u);
    EXPECT_TRUE(RestartedProgramReported()) << "the old program was started";
    ExpectProgramKept();
}

// The launcher menu's check runs on a thread that may outlive the launcher: it reads the published key
// for the program it was given, posts its answer to the window while that is open, and writes nothing of
// the application object, which the launcher's exit may be tearing down meanwhile.
TEST_F(UpdateFlow, TheMenusCheckOnItsThreadAnswersItsWindowAndWritesNoApplicationText) {
    CPlexo3App app;
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    constexpr UINT Answer = WM_APP + 0x31;
    auto answer = [&] {
        MSG msg{};
        const DWORD start = ::GetTickCount();
        while (!::PeekMessageW(&msg, window, Answer, Answer, PM_REMOVE)) {
            if (::GetTickCount() - start > 20000)
                return -1;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
        }
        return static_cast<int>(msg.wParam);
    };
    auto target = std::make_shared<PostTarget>(window);
    Publish(NewBuildKey(), Download());
    ASSERT_TRUE(StartUpdateCheck(target, Answer, Launcher));
    EXPECT_EQ(answer(), 1);
    Publish(AsciiUpper(VersionKey(Launcher)), Download());
    ASSERT_TRUE(StartUpdateCheck(target, Answer, Launcher));
    EXPECT_EQ(answer(), 0);
    EXPECT_TRUE(app.Update.UpdateAddress.empty()) << "written by the check's thread";
    EXPECT_TRUE(app.Update.UpdateKey.empty());
    ::DestroyWindow(window);
}

} // namespace
