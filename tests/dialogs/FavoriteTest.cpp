// The favourite's file text and the rules for its file name and path.
#include "dialogs/Favorite.h"

#include <gtest/gtest.h>

using namespace zarn;

TEST(FavoriteFileText, IsTheSevenLinesWithTheAddressTwice) {
    EXPECT_EQ(FavoriteFileText(L"http://h/zarn/game.html?server=3").value(),
              L"[DEFAULT]\r\nBASEURL=http://h/zarn/game.html?server=3\r\n"
              L"[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\n"
              L"URL=http://h/zarn/game.html?server=3\r\nIDList=\r\n");
    EXPECT_EQ(FavoriteFileText(L"").value(),
              L"[DEFAULT]\r\nBASEURL=\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n"
              L"[InternetShortcut]\r\nURL=\r\nIDList=\r\n");
}

TEST(FavoriteFileText, KeepsALongAddressWholeAndRefusesOneBeyondTheLimit) {
    const std::wstring longest = L"http://h/" + std::wstring(MaxFavoriteAddressLength - 9, L'a');
    const auto text = FavoriteFileText(longest);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(L"\r\nBASEURL=" + longest + L"\r\n"), std::wstring::npos);
    EXPECT_NE(text->find(L"\r\nURL=" + longest + L"\r\n"), std::wstring::npos);
    EXPECT_FALSE(FavoriteFileText(longest + L"a"));
}

TEST(FavoriteFileText, RefusesAnAddressThatWouldBreakTheLines) {
    EXPECT_FALSE(FavoriteFileText(L"http://h/\r\n[InternetShortcut]\r\nURL=file:///c:/x"));
    EXPECT_FALSE(FavoriteFileText(L"http://h/a\nb"));
    EXPECT_FALSE(FavoriteFileText(std::wstring(L"http://h/a\0b", 12)));
    EXPECT_TRUE(FavoriteFileText(L"http://h/游戏?a=1&b=|x"));
}

TEST(FavoriteName, AllowsOrdinaryTitles) {
    for (const wchar_t* name : {L"", L"Zarn - 1服", L"MirelCorvale 2区", L"a.b", L"con-test", L"CONSOLE",
                                L"com10", L"COM0", L"lpt", L"nul_1", L"title."})
        EXPECT_TRUE(IsAllowedFavoriteName(name)) << testing::PrintToString(std::wstring(name));
    EXPECT_TRUE(IsAllowedFavoriteName(std::wstring(MaxFavoriteNameLength, L'x')));
}

TEST(FavoriteName, RefusesWhatCouldLeaveTheFolderOrIsNoFileName) {
    for (const wchar_t* name : {L"a\\b", L"a/b", L"..", L"..\\..\\evil", L"a..b", L"c:evil", L"a:stream",
                                L"a*", L"a?", L"a\"b", L"<a>", L"a|b", L"tab\there", L"line\nbreak"})
        EXPECT_FALSE(IsAllowedFavoriteName(name)) << testing::PrintToString(std::wstring(name));
    EXPECT_FALSE(IsAllowedFavoriteName(std::wstring(L"a\0b", 3)));
    EXPECT_FALSE(IsAllowedFavoriteName(std::wstring(MaxFavoriteNameLength + 1, L'x')));
}

TEST(FavoriteName, RefusesReservedDeviceNamesWithOrWithoutExtension) {
    for (const wchar_t* name :
         {L"CON", L"con", L"PRN", L"Aux", L"nul", L"NUL.txt", L"con.a.b", L"CON ", L"nul .x", L"COM1",
          L"com9", L"LPT1", L"lpt9.doc", L"CONIN$", L"conout$", L"COM\u00B9", L"LPT\u00B3"})
        EXPECT_FALSE(IsAllowedFavoriteName(name)) << testing::PrintToString(std::wstring(name));
}

TEST(FavoritePath, JoinsFolderNameAndExtensionWithinTheLimit) {
    EXPECT_EQ(FavoritePath(L"C:\\users\\me\\Favorites", L"Zarn").value(),
              L"C:\\users\\me\\Favorites\\Zarn.url");
    EXPECT_EQ(FavoritePath(L"C:\\", L"x").value(), L"C:\\x.url");
    EXPECT_EQ(FavoritePath(L"C:\\F", L"").value(), L"C:\\F\\.url");
    EXPECT_FALSE(FavoritePath(L"", L"Zarn"));
    EXPECT_FALSE(FavoritePath(L"C:\\F", L"..\\Zarn"));
    EXPECT_FALSE(FavoritePath(L"C:\\F", L"NUL"));

    // 3 + 1 + name + 4 characters: 259 fits, 260 does not.
    const std::wstring folder = L"C:\\" + std::wstring(251 - MaxFavoriteNameLength, L'f');
    const std::wstring fits(MaxFavoriteNameLength, L'n');
    ASSERT_TRUE(FavoritePath(folder, fits));
    EXPECT_EQ(FavoritePath(folder, fits)->size(), MaxFavoritePathLength);
    EXPECT_FALSE(FavoritePath(folder + L"f", fits));
}

TEST(FavoriteName, ShorteningKeepsTheFirstCharactersAndWholeSurrogatePairs) {
    EXPECT_EQ(ShortenFavoriteName(L"Zarn - 1服"), L"Zarn - 1服");
    const std::wstring exact(MaxFavoriteNameLength, L'a');
    EXPECT_EQ(ShortenFavoriteName(exact), exact);
    EXPECT_EQ(ShortenFavoriteName(exact + L"bcd"), exact);

    // A pair (U+1F600) whose second half would be character 128.
    std::wstring split(MaxFavoriteNameLength - 1, L'a');
    split += static_cast<wchar_t>(0xD83D);
    split += static_cast<wchar_t>(0xDE00);
    EXPECT_EQ(ShortenFavoriteName(split), std::wstring(MaxFavoriteNameLength - 1, L'a'));
    EXPECT_TRUE(IsAllowedFavoriteName(ShortenFavoriteName(std::wstring(500, L'z'))));
}
