// The game hall's entergame command: code, launcher path and fallback address, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "base/GameCode.h"
#include "gamewnd/EnterGame.h"

using namespace zarn;

namespace {
const std::wstring Root = L"http://portal.test/";
const std::wstring AppData = L"C:\\ProgramData";
} // namespace

TEST(EnterGame, APlainCodeStartsItsLauncherOrFallsBackToThePortalRoot) {
    const EnterGameCommand command = ParseEnterGame(L"app://entergame|zarn", Root);
    ASSERT_TRUE(command.IsCommand);
    ASSERT_TRUE(command.Valid);
    EXPECT_EQ(command.GameCode, L"Zarn");
    EXPECT_EQ(command.WebAddress, Root);
    EXPECT_EQ(GameLauncherPath(AppData, command.GameCode), L"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe");
}

TEST(EnterGame, SlashesGoAndTheGivenAddressIsKept) {
    const EnterGameCommand command =
        ParseEnterGame(L"app://entergame|zarn/|http://portal.test/zarn2/?a=1|b", Root);
    ASSERT_TRUE(command.Valid);
    EXPECT_EQ(command.GameCode, L"Zarn");
    EXPECT_EQ(command.WebAddress, L"http://portal.test/zarn2/?a=1|b") << "only the first bar splits";
    EXPECT_EQ(ParseEnterGame(L"app://entergame|/z/a/rn2/", Root).GameCode, L"Zarn2");
    EXPECT_EQ(ParseEnterGame(L"app://entergame|Zarn|HTTPS://x.test/", Root).WebAddress, L"HTTPS://x.test/");
}

TEST(EnterGame, OtherUrlsAreNoCommand) {
    EXPECT_FALSE(ParseEnterGame(L"http://portal.test/webgame.htm", Root).IsCommand);
    EXPECT_FALSE(ParseEnterGame(L"app://entergame", Root).IsCommand);
    EXPECT_FALSE(ParseEnterGame(L"app://exitgame|zarn", Root).IsCommand);
    EXPECT_FALSE(ParseEnterGame(L"", Root).IsCommand);
}

TEST(EnterGame, CodesThatCouldNameAnotherFileAreRefused) {
    for (const wchar_t* url :
         {L"app://entergame|", L"app://entergame|/", L"app://entergame||http://x.test/",
          L"app://entergame|..\\zarn", L"app://entergame|c:zarn", L"app://entergame|za rn",
          L"app://entergame|..", L"app://entergame|zarn.exe", L"app://entergame|zarn:stream",
          L"app://entergame|z\u00e4rn", L"app://entergame|zarn\\..\\..\\evil"}) {
        const EnterGameCommand command = ParseEnterGame(url, Root);
        EXPECT_TRUE(command.IsCommand) << url;
        EXPECT_FALSE(command.Valid) << url;
    }
}

TEST(EnterGame, OnlyWebAddressesAreOpened) {
    for (const wchar_t* url :
         {L"app://entergame|zarn|C:\\Windows\\notepad.exe", L"app://entergame|zarn|file:///c:/x",
          L"app://entergame|zarn|http://", L"app://entergame|zarn|", L"app://entergame|zarn|javascript:1"})
        EXPECT_EQ(ParseEnterGame(url, Root).WebAddress, Root) << url;
}

TEST(EnterGame, OnlyALowerCaseFirstLetterIsRaised) {
    EXPECT_EQ(ParseEnterGame(L"app://entergame|2zarn", Root).GameCode, L"2zarn");
    EXPECT_EQ(ParseEnterGame(L"app://entergame|_zarn", Root).GameCode, L"_zarn");
    EXPECT_EQ(ParseEnterGame(L"app://entergame|ZARN", Root).GameCode, L"ZARN");
}

TEST(EnterGame, ALauncherPathOverTheLimitIsRefusedNotCut) {
    const std::wstring fixed = AppData + L"\\Mirel\\DaruRavoz\\.exe";
    const std::wstring fits(259 - fixed.size(), L'a');
    EXPECT_EQ(GameLauncherPath(AppData, fits).size(), 259u);
    EXPECT_EQ(GameLauncherPath(AppData, fits + L"a"), L"");
}

TEST(GameCode, PlainWordsOnly) {
    EXPECT_TRUE(IsValidGameCode(L"Zarn2"));
    EXPECT_TRUE(IsValidGameCode(L"a-b_C9"));
    EXPECT_FALSE(IsValidGameCode(L""));
    EXPECT_FALSE(IsValidGameCode(L"a.b"));
    EXPECT_FALSE(IsValidGameCode(L"a/b"));
    EXPECT_FALSE(IsValidGameCode(std::wstring(L"a\0b", 3)));
}
