// Geometry of the skinned windows: skin pieces, corner cut-outs, hit testing, maximising, caption
// placement, the message box layout, the progress fill and the static text's wrapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "skin/SkinGeometry.h"

using namespace zarn::skin;

namespace {

SkinPiece Piece(Box dest, Box source, bool stretch) {
    return SkinPiece{dest, source, stretch};
}

bool SamePieces(const std::vector<SkinPiece>& a, const std::vector<SkinPiece>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i].Dest == b[i].Dest) || !(a[i].Source == b[i].Source) || a[i].Stretch != b[i].Stretch)
            return false;
    }
    return true;
}

} // namespace

TEST(SkinPieces, NineSliceOfTheStandardSkin) {
    // 30 x 51 skin, title 30, frame 4, on a 400 x 200 window.
    const auto pieces = SkinPieces(true, 400, 200, 30, 51, 4, 30);
    const std::vector<SkinPiece> expected = {
        Piece({0, 0, 4, 30}, {0, 0, 4, 30}, false),      Piece({4, 0, 392, 30}, {4, 0, 22, 30}, true),
        Piece({396, 0, 4, 30}, {26, 0, 4, 30}, false),   Piece({0, 30, 4, 166}, {0, 30, 4, 17}, true),
        Piece({396, 30, 4, 166}, {26, 30, 4, 17}, true), Piece({4, 30, 392, 166}, {4, 30, 22, 17}, true),
        Piece({0, 196, 4, 4}, {0, 47, 4, 4}, false),     Piece({4, 196, 392, 4}, {4, 47, 22, 4}, true),
        Piece({396, 196, 4, 4}, {26, 47, 4, 4}, false),
    };
    EXPECT_TRUE(SamePieces(pieces, expected));
}

TEST(SkinPieces, NoTitleBandUsesTheFrameWidth) {
    const auto pieces = SkinPieces(true, 100, 100, 30, 51, 3, -1);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[0].Dest, (Box{0, 0, 3, 3}));
    EXPECT_EQ(pieces[3].Dest, (Box{0, 3, 3, 94}));
    EXPECT_EQ(pieces[3].Source, (Box{0, 3, 3, 45}));
}

TEST(SkinPieces, OneToOneKeepsRightAndBottomBordersAtTheWindowEdges) {
    // A 284 x 150 skin on a larger window: skin copied 1:1, then right and bottom border pieces.
    const auto pieces = SkinPieces(false, 300, 160, 284, 150, 3, 30);
    const std::vector<SkinPiece> expected = {
        Piece({0, 0, 284, 150}, {0, 0, 284, 150}, false),  Piece({297, 0, 3, 30}, {281, 0, 3, 30}, false),
        Piece({297, 30, 3, 127}, {281, 30, 3, 117}, true), Piece({0, 157, 3, 3}, {0, 147, 3, 3}, false),
        Piece({3, 157, 294, 3}, {3, 147, 278, 3}, true),   Piece({297, 157, 3, 3}, {281, 147, 3, 3}, false),
    };
    EXPECT_TRUE(SamePieces(pieces, expected));
}

TEST(SkinPieces, OneToOneOnAWindowOfTheSkinsSizeIsTheSkin) {
    for (const SkinPiece& p : SkinPieces(false, 284, 150, 284, 150, 3, 30)) {
        EXPECT_EQ(p.Dest, p.Source);
        EXPECT_TRUE(p.Dest.X + p.Dest.Width <= 284 && p.Dest.Y + p.Dest.Height <= 150);
    }
}

TEST(SkinPieces, SkinSmallerThanItsBordersDrawsNoNegativePieces) {
    for (const SkinPiece& p : SkinPieces(true, 5, 5, 6, 6, 4, 30)) {
        EXPECT_GT(p.Dest.Width, 0);
        EXPECT_GT(p.Dest.Height, 0);
        EXPECT_GT(p.Source.Width, 0);
        EXPECT_GT(p.Source.Height, 0);
    }
}

namespace {
std::set<std::pair<int, int>> Cuts(int w, int h, int bw, int bh, const std::set<std::pair<int, int>>& keys,
                                   int* reads = nullptr) {
    std::set<std::pair<int, int>> out;
    const auto isKey = [&](int x, int y) {
        EXPECT_TRUE(x >= 0 && y >= 0 && x < bw && y < bh) << x << "," << y;
        if (reads)
            ++*reads;
        return keys.count({x, y}) > 0;
    };
    for (const Point& p : CornerCuts(w, h, bw, bh, isKey))
        out.insert({p.X, p.Y});
    return out;
}
} // namespace

TEST(CornerCuts, KeyPixelsOfTheFourCornersAreMirroredToTheWindowCorners) {
    // Skin 30 x 51 with a key pixel in each corner block and one in the middle of the top edge.
    const std::set<std::pair<int, int>> keys = {{0, 0},   {1, 0},   {29, 0}, {0, 50},
                                                {29, 50}, {28, 49}, {15, 0}};
    const auto cuts = Cuts(400, 200, 30, 51, keys);
    const std::set<std::pair<int, int>> expected = {{0, 0},   {1, 0},     {399, 0},
                                                    {0, 199}, {399, 199}, {398, 198}};
    EXPECT_EQ(cuts, expected); // (15, 0) lies outside the 9 x 9 blocks: kept
}

TEST(CornerCuts, OnlyTheExactKeyCounts) {
    // The accessor decides what the key is; a near-magenta pixel is simply not reported as key.
    EXPECT_TRUE(Cuts(50, 50, 30, 51, {}).empty());
}

TEST(CornerCuts, ShortAndNarrowSkinsReadOnlyTheirOwnPixels) {
    int reads = 0;
    const auto cuts = Cuts(100, 80, 5, 4, {{0, 0}, {4, 3}}, &reads);
    EXPECT_GT(reads, 0);
    EXPECT_TRUE(cuts.count({0, 0}));   // top-left
    EXPECT_TRUE(cuts.count({99, 79})); // (4, 3) read as bottom-right of the bottom scan
    EXPECT_TRUE(cuts.count({99, 3}));  // and as the top scan's right corner
    EXPECT_TRUE(cuts.count({0, 76}));  // (0, 0) in the bottom scan: row 0 is H - bh + 0
    EXPECT_TRUE(Cuts(10, 10, 0, 0, {}).empty());
}

TEST(HitTest, NotResizable) {
    EXPECT_EQ(SkinHitTest(false, 10, 0, 300, 200, 4, 30), HitCaption);
    EXPECT_EQ(SkinHitTest(false, 10, 29, 300, 200, 4, 30), HitCaption);
    EXPECT_EQ(SkinHitTest(false, 10, 30, 300, 200, 4, 30), HitDefault);
    EXPECT_EQ(SkinHitTest(false, 0, 199, 300, 200, 4, 30), HitDefault);
    // No title band: the whole window drags.
    EXPECT_EQ(SkinHitTest(false, 150, 150, 300, 200, 4, -1), HitCaption);
    EXPECT_EQ(SkinHitTest(false, 0, 199, 300, 200, 4, -1), HitCaption);
}

TEST(HitTest, ResizableZonesCornersFirst) {
    const int w = 300, h = 200, b = 4, t = 30;
    EXPECT_EQ(SkinHitTest(true, 0, 0, w, h, b, t), HitTopLeft);
    EXPECT_EQ(SkinHitTest(true, 3, 2, w, h, b, t), HitTopLeft); // inside the top 3 rows, but a corner
    EXPECT_EQ(SkinHitTest(true, 299, 1, w, h, b, t), HitTopRight);
    EXPECT_EQ(SkinHitTest(true, 296, 3, w, h, b, t), HitTopRight);
    EXPECT_EQ(SkinHitTest(true, 1, 199, w, h, b, t), HitBottomLeft);
    EXPECT_EQ(SkinHitTest(true, 299, 196, w, h, b, t), HitBottomRight);
    EXPECT_EQ(SkinHitTest(true, 2, 100, w, h, b, t), HitLeft);
    EXPECT_EQ(SkinHitTest(true, 297, 100, w, h, b, t), HitRight);
    EXPECT_EQ(SkinHitTest(true, 100, 2, w, h, b, t), HitTop);
    EXPECT_EQ(SkinHitTest(true, 100, 3, w, h, b, t), HitCaption); // the top band is 3 rows, not 4
    EXPECT_EQ(SkinHitTest(true, 100, 29, w, h, b, t), HitCaption);
    EXPECT_EQ(SkinHitTest(true, 100, 30, w, h, b, t), HitDefault);
    EXPECT_EQ(SkinHitTest(true, 100, 196, w, h, b, t), HitBottom);
    EXPECT_EQ(SkinHitTest(true, 100, 195, w, h, b, t), HitDefault);
}

TEST(HitTest, ResizableWithoutTitleBand) {
    const int w = 300, h = 200, b = 4;
    EXPECT_EQ(SkinHitTest(true, 100, 0, w, h, b, -1), HitTop);
    EXPECT_EQ(SkinHitTest(true, 0, 100, w, h, b, -1), HitLeft);
    EXPECT_EQ(SkinHitTest(true, 299, 199, w, h, b, -1), HitBottomRight);
    EXPECT_EQ(SkinHitTest(true, 100, 100, w, h, b, -1), HitCaption);
    EXPECT_EQ(SkinHitTest(true, 100, 199, w, h, b, -1), HitCaption); // even the bottom band
}

TEST(HitTest, SizeCommands) {
    EXPECT_EQ(SizeCommandFor(HitLeft), 0xF001u);
    EXPECT_EQ(SizeCommandFor(HitRight), 0xF002u);
    EXPECT_EQ(SizeCommandFor(HitTop), 0xF003u);
    EXPECT_EQ(SizeCommandFor(HitTopLeft), 0xF004u);
    EXPECT_EQ(SizeCommandFor(HitTopRight), 0xF005u);
    EXPECT_EQ(SizeCommandFor(HitBottom), 0xF006u);
    EXPECT_EQ(SizeCommandFor(HitBottomLeft), 0xF007u);
    EXPECT_EQ(SizeCommandFor(HitBottomRight), 0xF008u);
    EXPECT_EQ(SizeCommandFor(HitCaption), 0u);
    EXPECT_EQ(SizeCommandFor(1), 0u);
}

TEST(Maximize, LargerWorkAreaIsShrunkAroundItsCentre) {
    // Initialised on 1280 x 770, now the work area is 1600 x 870 at (0, 30).
    EXPECT_EQ(MaximizedRect({0, 30, 1600, 900}, 1280, 770), (Edges{160, 80, 1440, 850}));
}

TEST(Maximize, SmallerWorkAreaIsFilled) {
    EXPECT_EQ(MaximizedRect({0, 0, 1024, 738}, 1280, 770), (Edges{0, 0, 1024, 738}));
    EXPECT_EQ(MaximizedRect({100, 0, 1380, 770}, 1280, 770), (Edges{100, 0, 1380, 770}));
}

TEST(Maximize, InitialRestoreRectIsTheMiddleOfTheWorkArea) {
    EXPECT_EQ(InitialRestoreRect({0, 0, 1280, 770}), (Edges{160, 96, 1120, 674}));
    // The origin is not added to left and top.
    EXPECT_EQ(InitialRestoreRect({100, 50, 900, 650}), (Edges{100, 75, 800, 575}));
}

TEST(Caption, Placement) {
    EXPECT_EQ(CaptionTop(30), 7);
    EXPECT_EQ(CaptionTop(-1), 4);
    EXPECT_EQ(CaptionTop(11), -2);
    EXPECT_EQ(IconTop(30), 7);
    EXPECT_EQ(IconTop(-1), 6);
    EXPECT_EQ(CaptionLeft(false, 4), 9);
    EXPECT_EQ(CaptionLeft(true, 4), 25);
    EXPECT_EQ(CaptionInvalidTop(30, 13), 7);
    EXPECT_EQ(CaptionInvalidTop(-1, 13), 4);
}

TEST(TitleButtons, RightToLeftCloseMaximiseMinimise) {
    const TitleButtonRights all = LayoutTitleButtons(400, 0, 33, 27, 27);
    EXPECT_EQ(all.Close, 400);
    EXPECT_EQ(all.Maximize, 367);
    EXPECT_EQ(all.Minimize, 340);
    const TitleButtonRights gap = LayoutTitleButtons(400, 2, 33, 27, 27);
    EXPECT_EQ(gap.Maximize, 365);
    EXPECT_EQ(gap.Minimize, 336);
    // Without a maximise button the minimise button sits left of the close button.
    EXPECT_EQ(LayoutTitleButtons(400, 0, 33, 0, 27).Minimize, 367);
}

TEST(MessageBoxLayout, WidthHeightAndButtons) {
    // One line wider than 2 x 57 + 60.
    MessageBoxLayout wide = MessageBoxSize(250, 16, 1, 57, 23);
    EXPECT_EQ(wide.Width, 310);
    EXPECT_EQ(wide.Height, 3 + 16 + 23 + 90);
    // Narrow text: 174 wide. Exactly 174 is not "wider".
    EXPECT_EQ(MessageBoxSize(100, 16, 1, 57, 23).Width, 174);
    EXPECT_EQ(MessageBoxSize(174, 16, 1, 57, 23).Width, 174);
    EXPECT_EQ(MessageBoxSize(175, 16, 1, 57, 23).Width, 235);
    // Three lines.
    EXPECT_EQ(MessageBoxSize(200, 48, 3, 57, 23).Height, 9 + 48 + 23 + 90);
    // Missing button image: frame 0.
    EXPECT_EQ(MessageBoxSize(10, 16, 1, 0, 0).Width, 60);

    LayoutMessageBoxButtons(wide, 4, 310, 132, 57, 23);
    EXPECT_EQ(wide.ButtonCount, 2);
    EXPECT_EQ(wide.First, (Edges{88, 79, 145, 102}));
    EXPECT_EQ(wide.Second, (Edges{165, 79, 222, 102}));
    LayoutMessageBoxButtons(wide, 1, 310, 132, 57, 23);
    EXPECT_EQ(wide.ButtonCount, 2);
    for (unsigned type : {0u, 2u, 3u, 5u, 0xFFFFu}) {
        LayoutMessageBoxButtons(wide, type, 310, 132, 57, 23);
        EXPECT_EQ(wide.ButtonCount, 1) << type;
        EXPECT_EQ(wide.First, (Edges{126, 79, 183, 102})) << type;
    }
}

TEST(MessageBoxLayout, Lines) {
    EXPECT_EQ(CountMessageLines(L"当前窗体只支持3个游戏页"), 1);
    EXPECT_EQ(CountMessageLines(L"a\nb"), 2);
    EXPECT_EQ(CountMessageLines(L"a\n"), 2); // counted, though nothing is drawn for it
    EXPECT_EQ(MessageLines(L"a\n"), (std::vector<std::wstring>{L"a"}));
    EXPECT_EQ(MessageLines(L"a\nbc"), (std::vector<std::wstring>{L"a", L"bc"}));
    EXPECT_EQ(MessageLines(L"\n\nx"), (std::vector<std::wstring>{L"", L"", L"x"}));
    EXPECT_TRUE(MessageLines(L"").empty());
    EXPECT_EQ(MessageLineRect(0, 310, 250, 16), (Edges{30, 55, 280, 71}));
    EXPECT_EQ(MessageLineRect(1, 310, 250, 16), (Edges{30, 74, 280, 90}));
}

TEST(ProgressFill, BothEndsOfTheFillImage) {
    const ProgressFill half = ComputeProgressFill(50, 0, 100, 390);
    EXPECT_EQ(half.Filled, 195);
    EXPECT_EQ(half.Half, 97);
    EXPECT_EQ(half.Rest, 98);
    EXPECT_EQ(half.RestSource, 292); // columns 292..389 drawn at 97..194
    EXPECT_EQ(ComputeProgressFill(0, 0, 100, 390).Filled, 0);
    const ProgressFill full = ComputeProgressFill(100, 0, 100, 390);
    EXPECT_EQ(full.Filled, 390);
    EXPECT_EQ(full.Half + full.Rest, 390);
    EXPECT_EQ(full.RestSource, full.Half); // the halves meet
}

TEST(ProgressFill, OutOfRangeAndEmptyRangesStayInsideTheImage) {
    EXPECT_EQ(ComputeProgressFill(50, 0, 0, 390).Filled, 0);
    EXPECT_EQ(ComputeProgressFill(50, 10, 5, 390).Filled, 0);
    EXPECT_EQ(ComputeProgressFill(500, 0, 100, 390).Filled, 390);
    EXPECT_EQ(ComputeProgressFill(-5, 0, 100, 390).Filled, 0);
    EXPECT_EQ(ComputeProgressFill(1, 0, 3, 10).Filled, 3); // 3.33 truncated
}

namespace {
// Every character is 10 pixels wide, except 'W', which is 50.
int Measure(const std::wstring& s) {
    int w = 0;
    for (wchar_t c : s)
        w += c == L'W' ? 50 : 10;
    return w;
}
} // namespace

TEST(WrapText, CarriageReturnIsIgnoredAndLineFeedBreaks) {
    EXPECT_EQ(WrapText(L"ab\r\ncd", 100, Measure), (std::vector<std::wstring>{L"ab", L"cd"}));
    EXPECT_EQ(WrapText(L"ab\n\ncd\n", 100, Measure), (std::vector<std::wstring>{L"ab", L"", L"cd", L""}));
    EXPECT_EQ(WrapText(L"", 100, Measure), (std::vector<std::wstring>{L""}));
}

TEST(WrapText, LongLinesWrapCharacterByCharacter) {
    EXPECT_EQ(WrapText(L"abcdefg", 30, Measure), (std::vector<std::wstring>{L"abc", L"def", L"g"}));
    EXPECT_EQ(WrapText(L"abc", 30, Measure), (std::vector<std::wstring>{L"abc"}));
}

TEST(WrapText, ACharacterWiderThanTheAreaTakesALineOfItsOwn) {
    EXPECT_EQ(WrapText(L"aWb", 30, Measure), (std::vector<std::wstring>{L"a", L"W", L"b"}));
    EXPECT_EQ(WrapText(L"WW", 30, Measure), (std::vector<std::wstring>{L"W", L"W"}));
    EXPECT_EQ(WrapText(L"W", 30, Measure), (std::vector<std::wstring>{L"W"}));
}

TEST(WrapText, NeededHeight) {
    EXPECT_EQ(WrappedHeight(1, 16, 3), 16);
    EXPECT_EQ(WrappedHeight(3, 16, 3), 16 + 2 * 19);
    EXPECT_EQ(WrappedHeight(0, 16, 3), 16);
}
