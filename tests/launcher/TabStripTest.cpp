// The launcher caption's geometry: the strip's hit band and close buttons, the title cut, the minimum
// size and the caption controls' places.
#include <gtest/gtest.h>

#include "launcher/TabStrip.h"

using namespace zarn::tabstrip;

TEST(TabStrip, HitBandAndTabUnderThePoint) {
    EXPECT_EQ(TabAt(121, 3, 1), 0);
    EXPECT_EQ(TabAt(308, 24, 1), 0);
    EXPECT_EQ(TabAt(309, 10, 1), -1) << "past the only tab";
    EXPECT_EQ(TabAt(309, 10, 2), 1);
    EXPECT_EQ(TabAt(120, 10, 3), -1) << "x 120 is never on the strip";
    for (int y : {0, 1, 2, 25, 26, -5})
        EXPECT_EQ(TabAt(200, y, 3), -1) << y;
    EXPECT_EQ(TabAt(120 + 3 * 189 - 1, 10, 3), 2);
    EXPECT_EQ(TabAt(120 + 3 * 189, 10, 3), -1);
    EXPECT_EQ(TabAt(200, 10, 0), -1);
}

TEST(TabStrip, CloseButtonAndRectangles) {
    EXPECT_TRUE(OnCloseButton(296, 3, 0));
    EXPECT_TRUE(OnCloseButton(308, 15, 0));
    EXPECT_FALSE(OnCloseButton(309, 10, 0));
    EXPECT_FALSE(OnCloseButton(300, 16, 0));
    EXPECT_TRUE(OnCloseButton(296 + 189, 5, 1));
    EXPECT_FALSE(OnCloseButton(296, 5, 1));
    EXPECT_EQ(TabRect(1), (Rect{309, 3, 498, 25}));
    EXPECT_EQ(CloseRect(2), (Rect{674, 3, 687, 16}));
    EXPECT_EQ(TitleRect(0), (Rect{136, 8, 296, 22}));
    EXPECT_EQ(StripRect(2), (Rect{120, 3, 498, 25}));
    EXPECT_EQ(StripRectWithFreedSlot(2), (Rect{120, 3, 687, 25}));
}

TEST(TabStrip, ImageOfATab) {
    EXPECT_EQ(TabImage(1, 1, 1), 2) << "selected wins over hovered";
    EXPECT_EQ(TabImage(0, 1, 0), 1);
    EXPECT_EQ(TabImage(2, 1, 0), 0);
}

TEST(TabStrip, WideTitlesAreCutToEighteenCharactersAndDots) {
    const std::wstring title = L"一二三四五六七八九十一二三四五六七八九十";
    EXPECT_EQ(DisplayTitle(title, 160), title);
    EXPECT_EQ(DisplayTitle(title, 161), title.substr(0, 18) + L"...");
    EXPECT_EQ(DisplayTitle(L"short", 400), L"short") << "nothing to cut";
    std::wstring pair(17, L'a');
    pair += L"\xD83D\xDE00tail";
    EXPECT_EQ(DisplayTitle(pair, 500), std::wstring(17, L'a') + L"...") << "never half a surrogate pair";
}

TEST(TabStrip, MinimumSizeGrowsWithTheTabs) {
    Size s{1, 1};
    EXPECT_FALSE(ClampToMinimum(0, s)) << "no tab: 1 x 1 is fine";
    s = {100, 100};
    EXPECT_TRUE(ClampToMinimum(1, s));
    EXPECT_EQ(s.cx, 672);
    EXPECT_EQ(s.cy, 260);
    s = {900, 100};
    EXPECT_TRUE(ClampToMinimum(3, s));
    EXPECT_EQ(s.cx, 1050);
    EXPECT_EQ(s.cy, 260);
    s = {1050, 260};
    EXPECT_FALSE(ClampToMinimum(3, s));
}

TEST(TabStrip, CaptionControls) {
    EXPECT_EQ(CaptionControlRect(HideButton, 1000), (Rect{886, 0, 913, 27}));
    EXPECT_EQ(CaptionControlRect(SoundButton, 1000), (Rect{859, 0, 886, 27}));
    EXPECT_EQ(CaptionControlRect(SystemButton, 1000), (Rect{815, 0, 859, 28}));
    EXPECT_EQ(CaptionControlRect(HallButton, 1000), (Rect{736, 0, 815, 28}));
    EXPECT_EQ(CaptionControlRect(AccountLink, 1000), (Rect{640, 7, 732, 23}));
}
