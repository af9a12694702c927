// The stored hot-key text, the display text, the key names and the acceptable keys.
#include "settings/HotKeyText.h"

#include <gtest/gtest.h>

#include <climits>

using namespace zarn;

namespace {

void ExpectParses(std::wstring_view text, int modifiers, int key) {
    const std::optional<StoredHotKey> parsed = ParseHotKey(text);
    ASSERT_TRUE(parsed) << std::wstring(text);
    EXPECT_EQ(parsed->Modifiers, modifiers) << std::wstring(text);
    EXPECT_EQ(parsed->Key, key) << std::wstring(text);
}

TEST(ParseHotKey, TwoRunsOfDigitsJoinedByOneCommaAndNothingElse) {
    ExpectParses(L"0,121", 0, 121);
    ExpectParses(L"2,9", 2, 9);
    ExpectParses(L"2,81", 2, 81);
    ExpectParses(L"6,65", 6, 65);
    ExpectParses(L"02,081", 2, 81);
    for (const wchar_t* text :
         {L"",      L",",     L"2,",     L",65",    L"3",      L"a,b",    L"abc",   L"5x,7y", L"x2,81",
          L"2,81x", L"2, 81", L" 2,81",  L"2 ,81",  L"2,81 ",  L"+2,81",  L"-0,81", L"2,-81", L"2,+81",
          L"1,2,3", L"2,,81", L"0x2,81", L"7,0x41", L"2\t,81", L"２,８１" /* full-width digits */})
        EXPECT_FALSE(ParseHotKey(text)) << text;
    EXPECT_FALSE(ParseHotKey(std::wstring_view(L"2\0,81", 5)));
    EXPECT_FALSE(ParseHotKey(std::wstring_view(L"2,81\0", 5)));
}

TEST(ParseHotKey, TheModifiersAreTheThreeBitsAndTheKeyZeroOrAVirtualKey) {
    ExpectParses(L"0,0", 0, 0); // off, as the settings dialog writes it
    ExpectParses(L"1,0", 1, 0);
    ExpectParses(L"7,254", 7, 254);
    for (const wchar_t* text : {L"999,999", L"8,65", L"2,255", L"2,256", L"99999999999,81", L"2,99999999999",
                                L"2147483648,81", L"2,4294967377" /* 2^32 + 81 */})
        EXPECT_FALSE(ParseHotKey(text)) << text;
}

TEST(ParseHotKey, AValueLongerThanTheProgramReadsIsMalformed) {
    ExpectParses(std::wstring(27, L'0') + L"2,81", 2, 81); // 31 characters: read whole
    // Cut to its first 31 characters this would read as Ctrl + 8.
    EXPECT_FALSE(ParseHotKey(std::wstring(28, L'0') + L"2,81"));
    EXPECT_FALSE(ParseHotKey(std::wstring(40, L'0') + L"2,81"));
}

TEST(DecodeHotKey, AMalformedValueGivesTheDefaultAsAMissingOneDoes) {
    const StoredHotKey boss = DecodeHotKey(L"999,999", L"0,121");
    EXPECT_EQ(boss.Modifiers, 0);
    EXPECT_EQ(boss.Key, 121);
    for (const wchar_t* text : {L"a,b", L"2,", L"", L"3", L"8,81"}) {
        const StoredHotKey sound = DecodeHotKey(text, L"2,81");
        EXPECT_EQ(sound.Modifiers, 2) << text;
        EXPECT_EQ(sound.Key, 81) << text;
    }
    const StoredHotKey kept = DecodeHotKey(L"4,70", L"0,121");
    EXPECT_EQ(kept.Modifiers, 4);
    EXPECT_EQ(kept.Key, 70);
    const StoredHotKey off = DecodeHotKey(L"0,0", L"0,121");
    EXPECT_EQ(off.Key, 0) << "a key switched off stays off";
    const StoredHotKey neither = DecodeHotKey(L"x", L"y");
    EXPECT_EQ(neither.Modifiers, 0);
    EXPECT_EQ(neither.Key, 0);
}

TEST(EncodeHotKey, WritesDecimalsJoinedByAComma) {
    EXPECT_EQ(EncodeHotKey(0, 121), L"0,121");
    EXPECT_EQ(EncodeHotKey(2, 9), L"2,9");
    EXPECT_EQ(EncodeHotKey(0, 0), L"0,0");
    EXPECT_EQ(EncodeHotKey(7, 65), L"7,65");
    for (int modifiers = 0; modifiers < 8; ++modifiers) {
        for (int key = 0; key < 255; ++key) {
            const std::optional<StoredHotKey> back = ParseHotKey(EncodeHotKey(modifiers, key));
            ASSERT_TRUE(back);
            EXPECT_EQ(back->Modifiers, modifiers);
            EXPECT_EQ(back->Key, key);
        }
    }
}

TEST(FormatHotKey, ShowsTheStoredDefaults) {
    EXPECT_EQ(FormatHotKey(121, 0), L"F10");
    EXPECT_EQ(FormatHotKey(9, 2), L"Ctrl  +  Tab");
    EXPECT_EQ(FormatHotKey(81, 2), L"Ctrl  +  Q");
}

TEST(FormatHotKey, ModifiersInTheOrderCtrlShiftAlt) {
    EXPECT_EQ(FormatHotKey(65, 6), L"Ctrl  +  Shift  +  A");
    EXPECT_EQ(FormatHotKey(65, 7), L"Ctrl  +  Shift  +  Alt  +  A");
    EXPECT_EQ(FormatHotKey(65, 5), L"Shift  +  Alt  +  A");
    EXPECT_EQ(FormatHotKey(65, 1), L"Alt  +  A");
    EXPECT_EQ(FormatHotKey(65, 4), L"Shift  +  A");
    EXPECT_EQ(FormatHotKey(65, 8), L"A") << "bits other than 1, 2 and 4 are not modifiers";
    EXPECT_EQ(std::wstring(L"Ctrl  +  ").size(), 9u);
    EXPECT_EQ(std::wstring(L"Shift  +  ").size(), 10u);
    EXPECT_EQ(std::wstring(L"Alt  +  ").size(), 8u);
}

TEST(FormatHotKey, KeyZeroIsNone) {
    EXPECT_EQ(FormatHotKey(0, 1), L"无");
    EXPECT_EQ(FormatHotKey(0, 0), L"无");
    EXPECT_EQ(FormatHotKey(0, 7), L"无");
}

TEST(FormatHotKey, AKeyWithoutANameShowsOnlyItsModifiers) {
    EXPECT_EQ(FormatHotKey(0x20, 2), L"Ctrl  +  ");
    EXPECT_EQ(FormatHotKey(-1, 4), L"Shift  +  ");
    EXPECT_EQ(FormatHotKey(1000, 0), L"");
}

TEST(KeyName, NamesTheListedKeys) {
    const std::pair<int, const wchar_t*> table[] = {
        {0x08, L"Back"},    {0x09, L"Tab"},     {0x0D, L"Enter"},       {0x10, L"Shift"},
        {0x11, L"Ctrl"},    {0x12, L"Alt"},     {0x13, L"Pause Break"}, {0x14, L"Caps"},
        {0x1B, L"Esc"},     {0x21, L"Page Up"}, {0x22, L"Page Down"},   {0x23, L"End"},
        {0x24, L"Home"},    {0x25, L"Left"},    {0x26, L"Up"},          {0x27, L"Right"},
        {0x28, L"Down"},    {0x2D, L"Insert"},  {0x2E, L"Del"},         {0x30, L"0"},
        {0x39, L"9"},       {0x41, L"A"},       {0x51, L"Q"},           {0x5A, L"Z"},
        {0x5B, L"LWin"},    {0x5C, L"RWin"},    {0x60, L"Num 0"},       {0x65, L"Num 5"},
        {0x69, L"Num 9"},   {0x6A, L"Num *"},   {0x6B, L"Num +"},       {0x6D, L"Num -"},
        {0x6E, L"Num Del"}, {0x6F, L"Num /"},   {0x70, L"F1"},          {0x79, L"F10"},
        {0x7A, L"F11"},     {0x7B, L"F12"},     {0x90, L"Num Lock"},    {0x91, L"Scroll Lock"},
        {0xBA, L";"},       {0xBB, L"+"},       {0xBC, L","},           {0xBD, L"-"},
        {0xBE, L"."},       {0xBF, L"/"},       {0xC0, L"`"},           {0xDB, L"["},
        {0xDC, L"\\"},      {0xDD, L"]"},       {0xDE, L"'"},
    };
    for (const auto& [key, name] : table)
        EXPECT_EQ(KeyName(key), name) << std::hex << key;
}

TEST(KeyName, EveryDigitLetterAndFunctionKey) {
    for (int key = 0x30; key <= 0x39; ++key)
        EXPECT_EQ(KeyName(key), std::wstring(1, static_cast<wchar_t>(key)));
    for (int key = 0x41; key <= 0x5A; ++key)
        EXPECT_EQ(KeyName(key), std::wstring(1, static_cast<wchar_t>(key)));
    for (int key = 0x70; key <= 0x7B; ++key)
        EXPECT_EQ(KeyName(key), L"F" + std::to_wstring(key - 0x6F));
}

TEST(KeyName, UnlistedKeysHaveNoName) {
    for (int key : {-1,   0,    1,    0x20, 0x2F, 0x3A, 0x40, 0x5D,  0x6C,  0x7C,    0x87,   0x8F,
                    0x92, 0xA0, 0xB9, 0xC1, 0xDA, 0xDF, 0xFF, 0x100, 0x151, INT_MAX, INT_MIN})
        EXPECT_EQ(KeyName(key), L"") << key;
}

TEST(KeyName, NoNameIsLongerThan15Characters) {
    for (int key = 0; key < 0x200; ++key)
        EXPECT_LE(KeyName(key).size(), 15u) << key;
}

TEST(IsValidHotKey, AcceptsTheListedKeys) {
    std::vector<int> accepted;
    for (int key = 0; key < 0x200; ++key) {
        if (IsValidHotKey(key))
            accepted.push_back(key);
    }
    std::vector<int> expected;
    auto range = [&](int first, int last) {
        for (int key = first; key <= last; ++key)
            expected.push_back(key);
    };
    expected.push_back(0x14);
    range(0x21, 0x28);
    expected.push_back(0x2D);
    range(0x30, 0x39);
    range(0x41, 0x5A);
    range(0x60, 0x6B);
    range(0x6D, 0x6F);
    range(0x70, 0x7A);
    expected.push_back(0x90);
    range(0xBA, 0xC0);
    range(0xDB, 0xDE);
    EXPECT_EQ(accepted, expected);
}

TEST(IsValidHotKey, RefusesTheNamedExceptions) {
    for (int key : {0x7B /* F12 */, 0x20, 0x1B, 0x0D, 0x08, 0x2E, 0x13, 0x91, 0x5B, 0x5C, 0x10, 0x11, 0x12,
                    0x09 /* Tab: only the switch box takes it */, 0, -1, INT_MAX, 0x141, 0x6C})
        EXPECT_FALSE(IsValidHotKey(key)) << key;
}

} // namespace
