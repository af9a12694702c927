// Install end to end (a first start from a scratch folder) and the shortcuts it creates.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "BuildHosts.h"
#include "base/Product.h"
#include "app/Program_win.h"
#include "setup/Install_win.h"
#include "setup/Shortcuts.h"
#include "support/NetTestSupport_win.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}
std::wstring DesktopLink(const wchar_t* name) {
    return setup::LinkPath(Folder(CSIDL_COMMON_DESKTOPDIRECTORY), name);
}
std::wstring MenuLink(const wchar_t* name) {
    return setup::LinkPath(StartMenuFolder(), name);
}

void ExpectShortcut(const std::wstring& link, const std::wstring& target, const std::wstring& arguments,
                    int icon, const std::wstring& description) {
    SCOPED_TRACE(std::string(link.begin(), link.end()));
    const ShortcutInfo info = ReadShortcut(link);
    ASSERT_TRUE(info.Loaded);
    EXPECT_EQ(::lstrcmpiW(info.Target.c_str(), target.c_str()), 0);
    EXPECT_EQ(info.Arguments, arguments);
    EXPECT_EQ(::lstrcmpiW(info.IconFile.c_str(), target.c_str()), 0);
    EXPECT_EQ(info.IconIndex, icon);
    EXPECT_EQ(info.Description, description);
}

void ExpectTheFourShortcuts(const std::wstring& target) {
    ExpectShortcut(DesktopLink(setup::GameShortcutName), target, L"/ZarnD", 0, L"MirelCorvale极速登录器");
    ExpectShortcut(DesktopLink(setup::PortalShortcutName), target, L"/webMirelD", 1,
                   std::wstring(build::PortalHost) + L"中国最大的网页游戏平台");
    ExpectShortcut(MenuLink(setup::GameShortcutName), target, L"/ZarnD", 0, L"");
    ExpectShortcut(MenuLink(setup::UninstallShortcutName), target, L"/uninst", 0, L"");
}

class Install : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
    ComInit Com;
};

TEST_F(Install, ShortcutsPointAtTheTargetWithTheirArgumentsIconsAndDescriptions) {
    const std::wstring scratch = MakeScratchFolder(L"shortcuts");
    const std::wstring target = scratch + L"\\Zarn.exe";
    ASSERT_TRUE(::CopyFileW(ZarnExe().c_str(), target.c_str(), FALSE));
    OwnDesktopRedirect own(scratch + L"\\me");
    const std::wstring oldOwn = setup::LinkPath(own.Desktop(), setup::GameShortcutName);
    const std::wstring otherOwn = setup::LinkPath(own.Desktop(), L"另一个");
    ASSERT_TRUE(CreateShellLinkFile(oldOwn, target, L"", 0, L""));
    ASSERT_TRUE(CreateShellLinkFile(otherOwn, target, L"", 0, L""));

    CreateProgramShortcuts(target);

    ExpectTheFourShortcuts(target);
    EXPECT_FALSE(FileExists(oldOwn)) << "a same-named shortcut on the user's own desktop stays";
    EXPECT_TRUE(FileExists(otherOwn));
    EXPECT_EQ(FolderEntries(StartMenuFolder()).size(), 2u);
}

TEST_F(Install, AMissingTargetGivesNoShortcutsAtAll) {
    const std::wstring missing = MakeScratchFolder(L"missing") + L"\\Zarn.exe";
    CreateProgramShortcuts(missing);
    EXPECT_FALSE(FileExists(DesktopLink(setup::GameShortcutName)));
    EXPECT_FALSE(FileExists(DesktopLink(setup::PortalShortcutName)));
    EXPECT_FALSE(FileExists(StartMenuFolder()));
    EXPECT_FALSE(CreateDesktopShortcut(L"", L"/ZarnD", L"x", 0, L""));
    EXPECT_FALSE(CreateStartMenuShortcut(L"", ZarnExe(), L"/ZarnD"));
    EXPECT_FALSE(CreateShellLinkFile(L"", ZarnExe(), L"", 0, L""));
}

TEST_F(Install, AShortcutThatCannotBeSavedIsAFailure) {
    const std::wstring missing = MakeScratchFolder(L"link-nowhere") + L"\\no such folder\\Zarn.lnk";
    EXPECT_FALSE(CreateShellLinkFile(missing, ZarnExe(), L"", 0, L""));
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(Install, FirstStartCopiesLinksCountsReportsAndStartsTheInstalledLauncher) {
    FlashVersionOverride flash(L"32,0,0,465"); // the installed launcher would ask otherwise
    const std::wstring scratch = MakeScratchFolder(L"install-from");
    OwnDesktopRedirect own(scratch + L"\\me");
    const std::wstring ownLink = setup::LinkPath(own.Desktop(), setup::PortalShortcutName);
    const std::wstring exe = scratch + L"\\Zarn.exe";
    // The test build: the installed copy's launcher then plays its game windows with the tests'
    // stand-in, which cancels its login and so ends that launcher.
    ASSERT_TRUE(::CopyFileW(ZarnTestBuildExe().c_str(), exe.c_str(), FALSE));
    // Started from a read-only source (a disc, a locked download): the copy must not stay read-only.
    ASSERT_TRUE(::SetFileAttributesW(exe.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateShellLinkFile(ownLink, exe, L"", 0, L""));
    const std::wstring installed = InstallFolder() + L"\\Zarn.exe";
    const size_t logBefore = PortalLog().size();

    Program installer = StartProgram(exe, L"");
    ASSERT_TRUE(installer.Process);
    // The installed copy runs only briefly (its first login is cancelled): watch for it.
    UniqueHandle copy;
    const DWORD start = ::GetTickCount();
    while (!copy && ::GetTickCount() - start < 60000) {
        for (DWORD pid : ProcessesOf(installed))
            copy.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
        if (!copy && ::WaitForSingleObject(installer.Process.get(), 0) == WAIT_OBJECT_0 &&
            ::GetTickCount() - start > 30000)
            break;
        ::Sleep(10);
    }
    const bool installerEnded = WaitForExit(installer, 60000);
    Kill(installer);
    bool copyEnded = true;
    if (copy) {
        copyEnded = ::WaitForSingleObject(copy.get(), 60000) == WAIT_OBJECT_0;
        if (!copyEnded)
            ::TerminateProcess(copy.get(), 99);
    }
    ASSERT_TRUE(installerEnded);
    EXPECT_TRUE(copy) << "the installed copy was not started";
    EXPECT_TRUE(copyEnded);

    ::SetFileAttributesW(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(FileExists(installed));
    EXPECT_FALSE(::GetFileAttributesW(installed.c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the uninstall could not delete it";
    ExpectTheFourShortcuts(installed);
    EXPECT_FALSE(FileExists(ownLink));
    BYTE days[8] = {};
    DWORD size = sizeof(days);
    ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, product::RegistryKey, product::DisableDaysValue,
                             RRF_RT_REG_BINARY, nullptr, days, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_NE(days[0] | days[1] | days[2], 0);
    EXPECT_EQ(days[3], 0);
    EXPECT_EQ(LoggedPaths(logBefore, "/install.htm"),
              std::vector<std::string>{"/install.htm?tag=zarn&ver=3.0.0.2&count=1"});
    EXPECT_EQ(ReadStatistic(L"Inst"), L"1");
    // The installed copy ran as a launcher: it reported its start.
    EXPECT_EQ(LoggedPaths(logBefore, "/active.htm?tag=zarn&").size(), 1u);
}

} // namespace
