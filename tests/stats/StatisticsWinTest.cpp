// The counters, the day figures and the report URL of each run mode, through the program itself
// against the local portal. The statistics file is seeded instead of changing the clock.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Program_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "stats/Statistics_win.h"
#include "support/NetTestSupport_win.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const std::string LauncherReport = "/active.htm?tag=zarn&ver=3.0.0.2";

class Statistics : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        PortalControl(L"/__portal/reset");
        Launcher = InstalledCopy();
        LogStart = PortalLog().size();
    }
    void TearDown() override { ResetProgramState(); }

    // Starts the installed launcher and returns the launcher-start reports it sent.
    std::vector<std::string> StartLauncher(const std::wstring& arguments = L"") {
        const size_t from = PortalLog().size();
        EXPECT_TRUE(RunToEnd(Launcher, arguments));
        return LoggedPaths(from, "/active.htm");
    }
    void Seed(const std::wstring& lastStart, int weekdays, int keepDays, int game) {
        WriteStatistic(L"lstTime", lastStart);
        WriteStatistic(L"weekdays", std::to_wstring(weekdays));
        WriteStatistic(L"keepdays", std::to_wstring(keepDays));
        WriteStatistic(L"Game", std::to_wstring(game));
    }

    std::wstring Launcher;
    size_t LogStart = 0;
};

TEST_F(Statistics, FirstLauncherStartEver) {
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=0&keepdays=1&weekdays=1"});
    EXPECT_EQ(ReadStatistic(L"lstTime"), LocalDateDaysAgo(0));
    EXPECT_EQ(ReadStatistic(L"weekdays"), L"1");
    EXPECT_EQ(ReadStatistic(L"keepdays"), L"1");
    EXPECT_EQ(ReadStatistic(L"Game"), L"1");
    EXPECT_EQ(LoggedHeader(LogStart, "/active.htm", "User-Agent"), "ZUD");
    EXPECT_EQ(LoggedHeader(LogStart, "/active.htm", "Accept-Language"), "zh-cn");
    EXPECT_EQ(LoggedHeader(LogStart, "/active.htm", "Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(Statistics, GameShortcutAndSecondStartOnTheSameDay) {
    EXPECT_EQ(StartLauncher(L"/ZarnD"),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=0&keepdays=1&weekdays=1"});
    EXPECT_EQ(StartLauncher(L"/zarnd more"),
              std::vector<std::string>{LauncherReport + "&count=2&apartdays=0&keepdays=1&weekdays=1"});
    EXPECT_EQ(ReadStatistic(L"Game"), L"2");
}

TEST_F(Statistics, StartsOnConsecutiveDays) {
    Seed(LocalDateDaysAgo(1), 1, 1, 1);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=2&apartdays=0&keepdays=2&weekdays=2"});
    EXPECT_EQ(ReadStatistic(L"weekdays"), L"3");
    WriteStatistic(L"lstTime", LocalDateDaysAgo(1));
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=3&apartdays=0&keepdays=3&weekdays=3"});
    EXPECT_EQ(ReadStatistic(L"weekdays"), L"7");
    EXPECT_EQ(ReadStatistic(L"keepdays"), L"3");
    EXPECT_EQ(ReadStatistic(L"lstTime"), LocalDateDaysAgo(0));
}

TEST_F(Statistics, StartAfterAGap) {
    Seed(LocalDateDaysAgo(3), 7, 5, 10);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=11&apartdays=2&keepdays=1&weekdays=4"});
    EXPECT_EQ(ReadStatistic(L"weekdays"), L"57");
    Seed(LocalDateDaysAgo(40), 0x7F, 5, 0);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=39&keepdays=1&weekdays=1"});
}

TEST_F(Statistics, OddStoredValues) {
    Seed(LocalDateDaysAgo(0), 200, 4, 0);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=0&keepdays=4&weekdays=1"})
        << "weekdays above 128 count as 0";
    Seed(L"2013/5", 3, 4, 0);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=0&keepdays=4&weekdays=2"})
        << "one slash only counts as today";
    Seed(L"2013/13/40", 3, 4, 0);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=0&keepdays=4&weekdays=2"})
        << "an impossible date counts as today";
    Seed(LocalDateDaysAgo(-2), 3, 4, 0);
    EXPECT_EQ(StartLauncher(),
              std::vector<std::string>{LauncherReport + "&count=1&apartdays=-3&keepdays=1&weekdays=1"})
        << "clock set back";
    WriteStatistic(L"Game", L"junk");
    EXPECT_EQ(StartLauncher().at(0).find("&count=1&"), LauncherReport.size());
}

TEST_F(Statistics, InstallAndPortalReports) {
    const std::wstring loose = LooseCopy(L"stats-install");
    ASSERT_TRUE(RunToEnd(loose, L""));
    EXPECT_EQ(LoggedPaths(LogStart, "/install.htm"),
              std::vector<std::string>{"/install.htm?tag=zarn&ver=3.0.0.2&count=1"});
    // The install starts the installed copy (a launcher): let it end before the portal start.
    ASSERT_TRUE(WaitUntilWritable(Launcher, 60000));
    WriteStatistic(L"Mirel", L"41");
    ASSERT_TRUE(RunToEnd(Launcher, L"/webMirelD"));
    EXPECT_EQ(LoggedPaths(LogStart, "/active.htm?tag=webMirel"),
              std::vector<std::string>{"/active.htm?tag=webMirel&ver=3.0.0.2&count=42"});
    EXPECT_EQ(ReadStatistic(L"Mirel"), L"42");
}

TEST_F(Statistics, UninstallReport) {
    WriteStatistic(L"UnInst", L"2");
    Program program = StartProgram(Launcher, L"/uninst");
    HWND box = WaitForWindow(program.Pid, product::Caption, 20000);
    ASSERT_NE(box, nullptr);
    AnswerYesNo(box, true);
    // The closing message, then the end; the self-delete batch then removes the launcher file.
    HWND closing = nullptr;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000 && !closing; ::Sleep(100)) {
        HWND found = WaitForWindow(program.Pid, product::Caption, 100);
        if (found && found != box)
            closing = found;
    }
    EXPECT_NE(closing, nullptr);
    if (closing)
        AnswerOk(closing);
    EXPECT_TRUE(WaitForExit(program, 30000));
    Kill(program);
    EXPECT_EQ(LoggedPaths(LogStart, "/uninstall.htm"),
              std::vector<std::string>{"/uninstall.htm?tag=zarn&ver=3.0.0.2&count=3"});
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 60000 && FileExists(Launcher);
         ::Sleep(100)) {
    }
    EXPECT_FALSE(FileExists(Launcher));
}

TEST_F(Statistics, AStalledStatisticsHostDelaysTheEndOnlyBoundedly) {
    PortalControl(L"/__portal/fault?path=/install.htm&kind=stall&seconds=60");
    const std::wstring loose = LooseCopy(L"stats-stall");
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(RunToEnd(loose, L"", 45000));
    EXPECT_LT(::GetTickCount() - start, 40000u);
    PortalControl(L"/__portal/reset");
    EXPECT_TRUE(WaitUntilWritable(Launcher, 60000)); // the installed copy the install started
}

// SendReport in this process: with no UrlCopiedEvent the wait fails at once, so SendReport returns
// before its thread has run; the caller's URL is then overwritten. The report must go out unchanged.
TEST(SendReport, AFailedWaitLeavesTheThreadItsOwnCopy) {
    PortalControl(L"/__portal/reset");
    const size_t from = PortalLog().size();
    ReportEvents events;
    events.ReportDoneEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(events.ReportDoneEvent);
    const std::string path = "/active.htm?tag=zarn&ver=3.0.0.2&count=77&padding=" + std::string(200, 'p');
    {
        std::wstring url = StatsUrl(std::wstring(path.begin(), path.end()));
        EXPECT_EQ(SendReport(url, events), 1);
        url.assign(url.size(), L'#');
    }
    ASSERT_EQ(::WaitForSingleObject(events.ReportDoneEvent.get(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(LoggedPaths(from, "/active.htm"), std::vector<std::string>{path});
    WaitForPendingReports(5000);
}

} // namespace
