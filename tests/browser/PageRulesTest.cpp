// The page dialogs' URL and text rules: app: commands, loadgame payloads, unescaping, protected
// areas, button pictures, the sign-in addresses and the sign-in cookie.
#include "browser/PageRules.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {
// Every non-ASCII character takes two bytes, as in a double-byte code page.
size_t DoubleByte(std::wstring_view c) {
    return c.size() == 1 && c[0] < 0x80 ? 1 : 2;
}
} // namespace

TEST(AppCommand, OnlyLowerCaseAppAtTheStartIsACommand) {
    EXPECT_TRUE(IsAppUrl(L"app:"));
    EXPECT_TRUE(IsAppUrl(L"app://anything at all"));
    EXPECT_FALSE(IsAppUrl(L"APP://exitgame"));
    EXPECT_FALSE(IsAppUrl(L"App://exitgame"));
    EXPECT_FALSE(IsAppUrl(L"http://x/app://exitgame"));
    EXPECT_FALSE(IsAppUrl(L"ap"));
    EXPECT_FALSE(IsAppUrl(L""));
}

TEST(AppCommand, JavascriptIsTheFirstTenCharactersExactly) {
    EXPECT_TRUE(IsJavascriptUrl(L"javascript:void(0)"));
    EXPECT_TRUE(IsJavascriptUrl(L"javascript"));
    EXPECT_FALSE(IsJavascriptUrl(L"JavaScript:void(0)"));
    EXPECT_FALSE(IsJavascriptUrl(L"javascrip"));
}

TEST(AppCommand, TheNameIsCharactersSixToThirteen) {
    EXPECT_EQ(AppCommandName(L"app://loadgame/x|y"), L"loadgame");
    EXPECT_EQ(AppCommandName(L"app:xxexitgame"), L"exitgame");
    EXPECT_EQ(AppCommandName(L"app://minimizeNOW"), L"minimize");
    EXPECT_EQ(AppCommandName(L"app://mini"), L"mini");
    EXPECT_EQ(AppCommandName(L"app:/"), L"");
}

TEST(PageScheme, OnlyWebSchemesMayBeOpened) {
    EXPECT_TRUE(IsAllowedPageScheme(L"http://portal/"));
    EXPECT_TRUE(IsAllowedPageScheme(L"HTTPS://portal/"));
    EXPECT_TRUE(IsAllowedPageScheme(L"about:blank"));
    EXPECT_TRUE(IsAllowedPageScheme(L"javascript:go()"));
    EXPECT_FALSE(IsAllowedPageScheme(L"file:///C:/Windows/notepad.exe"));
    EXPECT_FALSE(IsAllowedPageScheme(L"res://shell32.dll/1"));
    EXPECT_FALSE(IsAllowedPageScheme(L"shell:startup"));
    EXPECT_FALSE(IsAllowedPageScheme(L"ms-its:c:\\x.chm"));
    EXPECT_FALSE(IsAllowedPageScheme(L"C:\\Windows\\notepad.exe"));
    EXPECT_FALSE(IsAllowedPageScheme(L"notepad.exe"));
    EXPECT_FALSE(IsAllowedPageScheme(L""));
}

TEST(LoadGame, PayloadAndGameUrlSplitAtTheFirstBarFromPositionFifteen) {
    const LoadGameCommand c = ParseLoadGame(L"app://loadgame/S5服-《雷霆》双线-abc|http://h/game?a|b");
    EXPECT_EQ(c.Payload, L"S5服-《雷霆》双线-abc");
    EXPECT_EQ(c.GameUrl, L"http://h/game?a|b");
}

TEST(LoadGame, ABarBeforePositionFifteenDoesNotCount) {
    // Position 14 is the separator; a bar there is not searched.
    const LoadGameCommand c = ParseLoadGame(L"app://loadgame|abc|http://h/");
    EXPECT_EQ(c.Payload, L"abc");
    EXPECT_EQ(c.GameUrl, L"http://h/");
}

TEST(LoadGame, ABarAtPositionFifteenGivesAnEmptyPayload) {
    const LoadGameCommand c = ParseLoadGame(L"app://loadgame/|http://h/");
    EXPECT_EQ(c.Payload, L"");
    EXPECT_EQ(c.GameUrl, L"http://h/");
}

TEST(LoadGame, NoBarGivesEmptyPayloadAndGameUrl) {
    for (const wchar_t* url : {L"app://loadgame/abc", L"app://loadgame/", L"app://loadgame", L"app:"}) {
        const LoadGameCommand c = ParseLoadGame(url);
        EXPECT_EQ(c.Payload, L"") << url;
        EXPECT_EQ(c.GameUrl, L"") << url;
    }
}

TEST(LoadGame, ABarAtTheVeryEndGivesAnEmptyGameUrl) {
    const LoadGameCommand c = ParseLoadGame(L"app://loadgame/x服-y-z|");
    EXPECT_EQ(c.Payload, L"x服-y-z");
    EXPECT_EQ(c.GameUrl, L"");
}

TEST(LoginPayload, ServerAreaAndAccountWithTheEdits) {
    const LoginAccount a = SplitLoginPayload(L"S5服-《雷霆》双线-abc");
    EXPECT_EQ(a.Server, L"5");
    EXPECT_EQ(a.Area, L"双线");
    EXPECT_EQ(a.Account, L"abc");
    EXPECT_EQ(LoginAccountText(a), L"5服-双线-abc");
    EXPECT_EQ(DuplicateLoginText(a), L"账号 abc 已在 5服 登录，同一账号不能在一服重复登录");
}

TEST(LoginPayload, EveryCapitalSLeavesOnlyTheServerPart) {
    const LoginAccount a = SplitLoginPayload(L"SsS12S服-Sa-Sb");
    EXPECT_EQ(a.Server, L"s12");
    EXPECT_EQ(a.Area, L"Sa");
    EXPECT_EQ(a.Account, L"Sb");
}

TEST(LoginPayload, TheAreaKeepsAtMostFourCharactersAfterTheFirstMark) {
    EXPECT_EQ(SplitLoginPayload(L"1服-《甲》一二三四五-x").Area, L"一二三四");
    EXPECT_EQ(SplitLoginPayload(L"1服-a》b》c-x").Area, L"b》c");
    EXPECT_EQ(SplitLoginPayload(L"1服-no mark-x").Area, L"no mark");
    // A mark at the very end leaves nothing.
    EXPECT_EQ(SplitLoginPayload(L"1服-《甲》-x").Area, L"");
    EXPECT_EQ(SplitLoginPayload(L"1服-》").Area, L"");
}

TEST(LoginPayload, AnEmptyPayloadGivesTheBareSeparators) {
    const LoginAccount a = SplitLoginPayload(L"");
    EXPECT_EQ(LoginAccountText(a), L"服--");
}

TEST(LoginPayload, AMissingServerMarkClampsTheDashSearchToPositionOne) {
    // No "服-": empty server; the dash search starts at 1, so the area is characters 1 up to the dash.
    const LoginAccount a = SplitLoginPayload(L"abc-def");
    EXPECT_EQ(a.Server, L"");
    EXPECT_EQ(a.Area, L"bc");
    EXPECT_EQ(a.Account, L"def");
    // A dash at position 0 is not found from position 1.
    const LoginAccount b = SplitLoginPayload(L"-abc");
    EXPECT_EQ(b.Area, L"");
    EXPECT_EQ(b.Account, L"-abc");
}

TEST(LoginPayload, AMissingSecondDashMakesTheWholePayloadTheAccount) {
    const LoginAccount a = SplitLoginPayload(L"S5服-abc");
    EXPECT_EQ(a.Server, L"5");
    EXPECT_EQ(a.Area, L"");
    EXPECT_EQ(a.Account, L"S5服-abc");
}

TEST(LoginPayload, TheServerMarkAtTheVeryEnd) {
    const LoginAccount a = SplitLoginPayload(L"S7服-");
    EXPECT_EQ(a.Server, L"7");
    EXPECT_EQ(a.Area, L"");
    EXPECT_EQ(a.Account, L"S7服-");
}

TEST(Unescape, OnlyPayloadsWithPercentAreUnescaped) {
    EXPECT_TRUE(PayloadNeedsUnescape(L"a%20b"));
    EXPECT_TRUE(PayloadNeedsUnescape(L"%"));
    EXPECT_FALSE(PayloadNeedsUnescape(L"S5服-a-b"));
}

TEST(Unescape, PercentAndTwoHexDigitsGiveAByteAndAnythingElseIsCopied) {
    EXPECT_EQ(PercentUnescape("a%20b%41%4a%4A"), "a bAJJ");
    EXPECT_EQ(PercentUnescape("100%"), "100%");
    EXPECT_EQ(PercentUnescape("%4"), "%4");
    EXPECT_EQ(PercentUnescape("%zz%4g"), "%zz%4g");
    EXPECT_EQ(PercentUnescape("%%41"), "%A");
    EXPECT_EQ(PercentUnescape("%00x"), std::string("\0x", 2));
}

TEST(Unescape, EscapedAsciiDecodesToTheSameTextAsPlainAscii) {
    const std::string escaped = PercentUnescape("%61%62%63-%64");
    EXPECT_EQ(DecodeUtf8(escaped, 256), L"abc-d");
    EXPECT_EQ(DecodeUtf8(escaped, 256), DecodeUtf8("abc-d", 256));
}

TEST(Unescape, Utf8OfChineseDecodes) {
    EXPECT_EQ(DecodeUtf8(PercentUnescape("S5%E6%9C%8D-%E5%8F%8C%E7%BA%BF-abc"), 256), L"S5服-双线-abc");
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80", 256), L"\xD83D\xDE00");
}

TEST(Unescape, IllFormedUtf8GivesReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("\xFF", 256), L"\xFFFD");
    EXPECT_EQ(DecodeUtf8("a\xE6\x9C", 256), L"a\xFFFD");               // cut short at the end
    EXPECT_EQ(DecodeUtf8("\xE6\x9Cz", 256), L"\xFFFDz");               // cut short before ASCII
    EXPECT_EQ(DecodeUtf8("\xC0\xAF", 256), L"\xFFFD\xFFFD");           // overlong
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80", 256), L"\xFFFD\xFFFD\xFFFD"); // a surrogate
    EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80", 256).size(), 4u);         // beyond U+10FFFF
}

TEST(Unescape, DecodingStopsAtTheBufferAndNeverSplitsAPair) {
    const std::string many(1000, 'a');
    EXPECT_EQ(DecodeUtf8(many, 256).size(), 255u);
    std::string emoji;
    for (int i = 0; i < 200; ++i)
        emoji += "\xF0\x9F\x98\x80";
    const std::wstring decoded = DecodeUtf8(emoji, 256);
    EXPECT_EQ(decoded.size(), 254u); // 127 whole pairs; the 128th would end at 256
    EXPECT_TRUE(decoded.back() >= 0xDC00 && decoded.back() <= 0xDFFF);
    EXPECT_EQ(DecodeUtf8("abc", 0), L"");
    EXPECT_EQ(DecodeUtf8("abc", 1), L"");
}

TEST(Unescape, ALongPayloadIsCutOnACharacterBoundary) {
    // 200 double-byte characters are 400 bytes: 127 whole ones fit in 255, the 128th would split.
    const std::wstring wide(200, L'服');
    EXPECT_EQ(FitToByteLimit(wide, 255, DoubleByte).size(), 127u);
    const std::wstring mixed = L"a" + wide;
    EXPECT_EQ(FitToByteLimit(mixed, 255, DoubleByte).size(), 128u); // 1 + 127 * 2 = 255
    const std::wstring shortText = L"abc服";
    EXPECT_EQ(FitToByteLimit(shortText, 255, DoubleByte), shortText);
    // A surrogate pair stays whole: 3 bytes here, and it does not fit into 2.
    auto pairSize = [](std::wstring_view c) { return c.size() == 2 ? size_t{3} : size_t{1}; };
    EXPECT_EQ(FitToByteLimit(L"\xD83D\xDE00", 2, pairSize), L"");
    EXPECT_EQ(FitToByteLimit(L"x\xD83D\xDE00", 4, pairSize), L"x\xD83D\xDE00");
    // A character the code page cannot encode ends the text.
    auto none = [](std::wstring_view c) { return c == L"?" ? size_t{0} : size_t{1}; };
    EXPECT_EQ(FitToByteLimit(L"ab?cd", 255, none), L"ab");
}

TEST(ProtectedArea, BothRectanglesIncludeTheirBounds) {
    EXPECT_TRUE(InLoginProtectedArea(778, 85));
    EXPECT_TRUE(InLoginProtectedArea(883, 120));
    EXPECT_FALSE(InLoginProtectedArea(777, 100));
    EXPECT_FALSE(InLoginProtectedArea(884, 100));
    EXPECT_FALSE(InLoginProtectedArea(800, 84));
    EXPECT_FALSE(InLoginProtectedArea(800, 121));
    EXPECT_TRUE(InLoginProtectedArea(775, 290));
    EXPECT_TRUE(InLoginProtectedArea(800, 470));
    EXPECT_FALSE(InLoginProtectedArea(774, 300));
    EXPECT_FALSE(InLoginProtectedArea(801, 300));
    EXPECT_FALSE(InLoginProtectedArea(780, 289));
    EXPECT_FALSE(InLoginProtectedArea(780, 471));
    EXPECT_FALSE(InLoginProtectedArea(0, 0));
    EXPECT_FALSE(InLoginProtectedArea(-800, -100));
}

TEST(ButtonPicture, PositionsFollowTheOffsetWidth) {
    EXPECT_EQ(ButtonBackgroundX(ButtonPicture::Normal, 60), 0);
    EXPECT_EQ(ButtonBackgroundX(ButtonPicture::Hover, 60), -60);
    EXPECT_EQ(ButtonBackgroundX(ButtonPicture::Pressed, 60), -120);
    EXPECT_EQ(ButtonBackgroundX(ButtonPicture::Pressed, 0), 0);
}

TEST(SignIn, RedirectsAreFoundAnywhereInTheUrl) {
    const std::wstring host = L"signin.test:81";
    EXPECT_EQ(AuthRedirectIn(L"http://signin.test:81/qzone/redirectToAuthorize.do?client=z", host),
              AuthProvider::QQ);
    EXPECT_EQ(AuthRedirectIn(L"x?next=http://signin.test:81/weibo/redirectToAuthorize.do?c", host),
              AuthProvider::Weibo);
    EXPECT_EQ(AuthRedirectIn(L"http://signin.test:81/qzone/redirectToAuthorize.do", host),
              AuthProvider::None);
    EXPECT_EQ(AuthRedirectIn(L"https://signin.test:81/qzone/redirectToAuthorize.do?x", host),
              AuthProvider::None);
    EXPECT_EQ(AuthRedirectIn(L"http://other/qzone/redirectToAuthorize.do?x", host), AuthProvider::None);
    EXPECT_STREQ(AuthWindowTitle(AuthProvider::QQ), L"QQ账号安全登录");
    EXPECT_STREQ(AuthWindowTitle(AuthProvider::Weibo), L"新浪微博账号安全登录");
}

TEST(SignIn, CallbacksCountOnlyAtTheStart) {
    const std::wstring host = L"s.test";
    EXPECT_TRUE(IsAuthCallbackUrl(L"http://s.test/qzone/callback.do?code=1&state=z", host));
    EXPECT_TRUE(IsAuthCallbackUrl(L"http://s.test/weibo/callback.do?state=z", host));
    EXPECT_TRUE(IsAuthCallbackUrl(L"http://s.test/qzone/extAutoBind.do", host));
    EXPECT_TRUE(IsAuthCallbackUrl(L"http://s.test/weibo/extAutoBind.do?x", host));
    EXPECT_FALSE(IsAuthCallbackUrl(L"http://s.test/qzone/callback.do?state=z", host));
    EXPECT_FALSE(IsAuthCallbackUrl(L"http://x/?u=http://s.test/qzone/callback.do?code=1", host));
    EXPECT_FALSE(IsAuthCallbackUrl(L"http://S.TEST/qzone/callback.do?code=1", host));
    EXPECT_TRUE(IsQqAuthorizeUrl(L"https://q.test/oauth2.0/authorize?client_id=1", L"q.test"));
    EXPECT_FALSE(IsQqAuthorizeUrl(L"http://q.test/oauth2.0/authorize?client_id=1", L"q.test"));
    EXPECT_FALSE(IsQqAuthorizeUrl(L"https://q.test/oauth2.0/token", L"q.test"));
}

TEST(SignInCookie, OnlyACookieNamedExactlyPauthCounts) {
    EXPECT_TRUE(HasCookieValue(L"Pauth=PA0123", SignInCookieName));
    EXPECT_TRUE(HasCookieValue(L"a=1; Pauth=PA0123; b=2", SignInCookieName));
    EXPECT_TRUE(HasCookieValue(L"a=1;Pauth=PA0123", SignInCookieName));
    EXPECT_TRUE(HasCookieValue(L"Pauth=a=b", SignInCookieName)) << "the value may hold '='";
    EXPECT_TRUE(HasCookieValue(L"  Pauth  =  v  ", SignInCookieName));
    EXPECT_TRUE(HasCookieValue(L"\tPauth\t=\tv", SignInCookieName));
    EXPECT_FALSE(
        HasCookieValue(L"PauthX=1; xPauth=2; Pauth2=3; pauth=4; PAUTH=5; P auth=6", SignInCookieName));
    EXPECT_FALSE(HasCookieValue(L"a=Pauth=1; b=Pauth", SignInCookieName)) << "in a value it is no name";
    EXPECT_FALSE(HasCookieValue(L"Pauth", SignInCookieName)) << "a cookie without '=' has no name";
    EXPECT_FALSE(HasCookieValue(L"other=PA0123", SignInCookieName));
}

TEST(SignInCookie, AnEmptyValueDoesNotCount) {
    for (const wchar_t* cookies :
         {L"Pauth=", L"Pauth= ", L"Pauth=\t ", L"Pauth=\"\"", L"Pauth = ; a=1", L"", L";", L" ; ;", L"="})
        EXPECT_FALSE(HasCookieValue(cookies, SignInCookieName)) << cookies;
    EXPECT_TRUE(HasCookieValue(L"Pauth=\" \"", SignInCookieName)) << "quotes around a space are a value";
    EXPECT_TRUE(HasCookieValue(L"Pauth=; Pauth=v", SignInCookieName)) << "the same name for another path";
}

TEST(SignInCookie, LongCookieStringsAreReadWhole) {
    const std::wstring big = L"big=" + std::wstring(300, L'x');
    EXPECT_FALSE(HasCookieValue(big, SignInCookieName));
    EXPECT_TRUE(HasCookieValue(big + L"; Pauth=PA0123", SignInCookieName));
    EXPECT_TRUE(HasCookieValue(L"Pauth=" + std::wstring(5000, L'v') + L"; " + big, SignInCookieName));
    EXPECT_FALSE(HasCookieValue(big + L"; Pauth=", SignInCookieName));
}
