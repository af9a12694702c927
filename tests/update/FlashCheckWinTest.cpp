// The Flash Player version read from the registry, and the start-up question it leads to.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/Product.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "update/FlashCheck_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

TEST(FlashCheck, ReadsTheInstalledVersionFromTheRegistry) {
    {
        FlashVersionOverride flash(L"11,0,1,152");
        EXPECT_TRUE(IsFlashPlayerCurrent());
    }
    {
        FlashVersionOverride flash(L"10,3,102,64");
        EXPECT_FALSE(IsFlashPlayerCurrent());
    }
    {
        FlashVersionOverride flash(L"10,3");
        EXPECT_FALSE(IsFlashPlayerCurrent());
    }
    {
        FlashVersionOverride flash(nullptr);
        EXPECT_FALSE(IsFlashPlayerCurrent()) << "no Flash Player key";
    }
    {
        // Longer than the 520-byte buffer: not current, whatever its digits say.
        const std::wstring tooLong = L"99," + std::wstring(300, L'9');
        FlashVersionOverride flash(tooLong.c_str());
        EXPECT_FALSE(IsFlashPlayerCurrent());
    }
    {
        // Exactly 259 characters and its NUL fill the buffer and still count.
        const std::wstring fits = L"11," + std::wstring(256, L'0');
        FlashVersionOverride flash(fits.c_str());
        EXPECT_TRUE(IsFlashPlayerCurrent());
    }
}

// A launcher start with an old player asks; No goes on to the launcher, Yes opens the download page
// in the browser and ends.
class FlashQuestion : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override {
        for (DWORD pid : ProcessesNamed(L"iexplore.exe"))
            EndProcess(pid);
        ResetProgramState();
    }
};

TEST_P(FlashQuestion, OldPlayerAsksBeforeTheLauncherOpens) {
    const bool yes = GetParam();
    FlashVersionOverride flash(L"10,2,0,0");
    const std::wstring folder = MakeScratchFolder(L"flash-question");
    const std::wstring exe = folder + L"\\Zarn.exe";
    // The test build: after "否" its launcher plays the game windows with the stand-in, which ends it.
    ASSERT_TRUE(::CopyFileW(ZarnTestBuildExe().c_str(), exe.c_str(), FALSE));
    const size_t browsersBefore = ProcessesNamed(L"iexplore.exe").size();

    Program program = StartProgram(exe, L"/ZarnD");
    ASSERT_TRUE(program.Process);
    HWND box = WaitForWindow(program.Pid, product::Caption, 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(StaticTexts(box), product::OldFlashText);
    AnswerYesNo(box, yes);
    const bool ended = WaitForExit(program, 30000);
    Kill(program);
    EXPECT_TRUE(ended);
    if (yes) {
        // The download page goes to Internet Explorer (which under Wine stays running: end it).
        bool started = false;
        const DWORD start = ::GetTickCount();
        while (!started && ::GetTickCount() - start < 20000) {
            started = ProcessesNamed(L"iexplore.exe").size() > browsersBefore;
            ::Sleep(100);
        }
        EXPECT_TRUE(started) << "no browser for the download page";
    }
}

INSTANTIATE_TEST_SUITE_P(Answer, FlashQuestion, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Yes" : "No";
                         });

} // namespace
