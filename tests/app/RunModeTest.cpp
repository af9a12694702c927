// Command line to run mode, and the number reading it relies on.
#include "app/RunMode.h"
#include "base/Strings.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {
const std::wstring Folder = L"C:\\ProgramData\\Mirel\\DaruRavoz";
const std::wstring Elsewhere = L"C:\\Users\\me\\Downloads\\Zarn.exe";
const std::wstring Inside = L"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe";

RunModeChoice Choose(std::vector<std::wstring> args, const std::wstring& program = Elsewhere) {
    return ChooseRunMode(args, Folder, program);
}
} // namespace

TEST(RunMode, SwitchesSelectTheirModesWhateverTheCase) {
    EXPECT_EQ(Choose({L"/webMirelD"}).Mode, RunMode::PortalShortcut);
    EXPECT_EQ(Choose({L"/ZarnD"}).Mode, RunMode::GameShortcut);
    EXPECT_EQ(Choose({L"/ZARND"}).Mode, RunMode::GameShortcut);
    EXPECT_EQ(Choose({L"/zarnd", L"/uninst", L"x"}).Mode, RunMode::GameShortcut);
    EXPECT_EQ(Choose({L"/UnInst"}).Mode, RunMode::Uninstall);
    EXPECT_EQ(Choose({L"/update"}, Inside).Mode, RunMode::Update);
    EXPECT_EQ(Choose({L"/gmhall", L"/77"}).Mode, RunMode::GameHallWindow);
    EXPECT_EQ(Choose({L"/gmhall", L"/77"}).LauncherWnd, 77);
}

TEST(RunMode, OnlyTheFirstArgumentCountsAndWholeWordsMatch) {
    EXPECT_EQ(Choose({L"/other", L"/ZarnD"}).Mode, RunMode::Install);
    EXPECT_EQ(Choose({L"/ZarnDx"}).Mode, RunMode::Install);
    EXPECT_EQ(Choose({L"ZarnD"}, Inside).Mode, RunMode::Installed);
}

TEST(RunMode, NoSwitchDependsOnTheProgramsFolder) {
    EXPECT_EQ(Choose({}).Mode, RunMode::Install);
    EXPECT_EQ(Choose({}, Inside).Mode, RunMode::Installed);
    EXPECT_EQ(Choose({L"/unknown"}, Inside).Mode, RunMode::Installed);
    // A substring test on upper-cased paths: other case and sub-folders count as inside.
    EXPECT_EQ(Choose({}, L"c:\\programdata\\mirel\\other\\Zarn.exe").Mode, RunMode::Install);
    EXPECT_EQ(Choose({}, L"c:\\programdata\\mirel\\daruravoz\\Zarn.exe").Mode, RunMode::Installed);
    EXPECT_EQ(Choose({}, L"D:\\copy\\C:\\ProgramData\\Mirel\\DaruRavoz\\sub\\Zarn.exe").Mode,
              RunMode::Installed);
    EXPECT_EQ(Choose({}, L"C:\\ProgramData\\Mirel\\DaruRavo.exe").Mode, RunMode::Install);
}

TEST(RunMode, NewGameWindowReadsTheNumbersAfterTheFirstCharacter) {
    RunModeChoice c = Choose({L"/newgm", L"/1234", L"/2"});
    EXPECT_EQ(c.Mode, RunMode::NewGameWindow);
    EXPECT_EQ(c.LauncherWnd, 1234);
    EXPECT_EQ(c.GameWindowOrdinal, 2);

    c = Choose({L"/newgm", L"1234", L"2"});
    EXPECT_EQ(c.LauncherWnd, 234);
    EXPECT_EQ(c.GameWindowOrdinal, 0);
}

TEST(RunMode, BadNewGameWindowValuesReadAsZero) {
    RunModeChoice c = Choose({L"/newgm"});
    EXPECT_EQ(c.Mode, RunMode::NewGameWindow);
    EXPECT_EQ(c.LauncherWnd, 0);
    EXPECT_EQ(c.GameWindowOrdinal, 0);

    c = Choose({L"/newgm", L"/abc", L"/x9"});
    EXPECT_EQ(c.LauncherWnd, 0);
    EXPECT_EQ(c.GameWindowOrdinal, 0);

    c = Choose({L"/newgm", L"", L""});
    EXPECT_EQ(c.LauncherWnd, 0);

    // 15 and 7 characters fit; one more is refused rather than cut into another number.
    c = Choose({L"/newgm", L"/12345678901234", L"/123456"});
    EXPECT_EQ(c.LauncherWnd, INT32_MAX);
    EXPECT_EQ(c.GameWindowOrdinal, 123456);
    c = Choose({L"/newgm", L"/123456789012345", L"/1234567"});
    EXPECT_EQ(c.LauncherWnd, 0);
    EXPECT_EQ(c.GameWindowOrdinal, 0);
    c = Choose({L"/gmhall", std::wstring(10000, L'9')});
    EXPECT_EQ(c.LauncherWnd, 0);
}

TEST(ParseLong, BehavesLikeTheRuntimesWcstolWith32BitLong) {
    EXPECT_EQ(ParseLong(L"42"), 42);
    EXPECT_EQ(ParseLong(L"  -17x"), -17);
    EXPECT_EQ(ParseLong(L"+5"), 5);
    EXPECT_EQ(ParseLong(L""), 0);
    EXPECT_EQ(ParseLong(L"x1"), 0);
    EXPECT_EQ(ParseLong(L"-"), 0);
    EXPECT_EQ(ParseLong(L"2147483647"), INT32_MAX);
    EXPECT_EQ(ParseLong(L"2147483648"), INT32_MAX);
    EXPECT_EQ(ParseLong(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseLong(L"-99999999999999999999"), INT32_MIN);
}

TEST(PathPieces, SplitAtTheLastBackslash) {
    EXPECT_EQ(FolderWithSlash(L"C:\\a\\b.exe"), L"C:\\a\\");
    EXPECT_EQ(FolderWithoutSlash(L"C:\\a\\b.exe"), L"C:\\a");
    EXPECT_EQ(FileNameOf(L"C:\\a\\b.exe"), L"b.exe");
    EXPECT_EQ(FolderWithSlash(L"b.exe"), L"");
    EXPECT_EQ(FileNameOf(L"b.exe"), L"b.exe");
    EXPECT_EQ(Truncated(L"abcdef", 4), L"abc");
    EXPECT_EQ(Truncated(L"ab", 4), L"ab");
    EXPECT_EQ(Truncated(L"ab", 0), L"");
}

namespace {

TEST(RunMode, BroadcastAndZOrderValuesAreNeverALauncherWindow) {
    for (const int32_t value : {0, 1, 0xFFFF, -1, -2, -3})
        EXPECT_TRUE(zarn::IsSpecialWindowValue(value)) << value;
    for (const int32_t value : {2, 0x10010, 0xFFFE, 0x10000, -4, 1234})
        EXPECT_FALSE(zarn::IsSpecialWindowValue(value)) << value;
    // The value read from "/newgm /65535 /1" is the broadcast one.
    const zarn::RunModeChoice choice = zarn::ChooseRunMode({L"/newgm", L"/65535", L"/1"}, L"X", L"Y");
    EXPECT_TRUE(zarn::IsSpecialWindowValue(choice.LauncherWnd));
}

} // namespace
