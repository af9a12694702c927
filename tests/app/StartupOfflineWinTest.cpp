// Without network every run mode shows only the network message and does nothing else. These tests
// run while the local portal (and so the connectivity probe) is down.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/Product.h"
#include "app/Program_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class Offline : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(Offline, ShowsTheNetworkMessageAndChangesNothing) {
    ResetProgramState();
    const std::wstring folder = MakeScratchFolder(L"offline");
    const std::wstring exe = folder + L"\\Zarn.exe";
    ASSERT_TRUE(::CopyFileW(ZarnExe().c_str(), exe.c_str(), FALSE));
    const size_t logBefore = PortalLog().size();

    Program program = StartProgram(exe, GetParam());
    ASSERT_TRUE(program.Process);
    HWND box = WaitForWindow(program.Pid, product::Caption, 20000);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(StaticTexts(box), product::NoNetworkText);
    // Nothing happens before the message is answered either.
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"Zarn.exe"});
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, product::RegistryKey));
    ClickButton(box, 5000); // the box's 确定 button
    const bool ended = WaitForExit(program, 20000);
    Kill(program);
    ASSERT_TRUE(ended);

    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"Zarn.exe"});
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, product::RegistryKey));
    EXPECT_FALSE(FileExists(InstallFolder()));
    EXPECT_EQ(PortalLog().size(), logBefore);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, Offline,
                         ::testing::Values(L"", L"/webMirelD", L"/ZarnD", L"/uninst", L"/update",
                                           L"/newgm /1 /0", L"/gmhall /1", L"/unknown"));

} // namespace
