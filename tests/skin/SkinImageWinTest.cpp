// LoadSkinImage against the program's own resources, with the test program's GDI+ session and without.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "framework/GdiplusSession.h"
#include "framework/Handle.h"
#include "skin/SkinImage_win.h"
#include "support/GdiplusTestSupport_win.h"
#include "support/SkinTestSupport_win.h"

using namespace zarn;

namespace {
constexpr UINT SkinIds[] = {131, 132, 133, 134, 135, 136, 137, 138, 139, 140,
                            141, 142, 148, 149, 150, 151, 152, 153, 162};

// A bitmap's pixels as top-down 0x00RRGGBB values.
std::vector<COLORREF> Pixels(HBITMAP bitmap) {
    const SIZE size = BitmapSize(bitmap);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<COLORREF> pixels(static_cast<size_t>(size.cx) * size.cy);
    WindowDC screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS) != size.cy)
        pixels.clear();
    for (COLORREF& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}
} // namespace

TEST(SkinImage, NullInstanceAndMissingResourcesGiveNull) {
    EXPECT_EQ(LoadSkinImage(nullptr, 133), nullptr);
    EXPECT_EQ(LoadSkinImage(::GetModuleHandleW(nullptr), 999), nullptr);
}

TEST(SkinImage, EveryCallGivesANewOpaqueBitmapOfThePngsSize) {
    UniqueBitmap first(LoadSkinImage(::GetModuleHandleW(nullptr), 133));
    UniqueBitmap second(LoadSkinImage(::GetModuleHandleW(nullptr), 133));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    const SIZE size = BitmapSize(first.get());
    EXPECT_EQ(size.cx, 228);
    EXPECT_EQ(size.cy, 23);
    // A decoded PNG is a 32-bit DIB section.
    UniqueBitmap decoded(LoadSkinPng(::GetModuleHandleW(nullptr), 133));
    DIBSECTION info{};
    ASSERT_EQ(::GetObjectW(decoded.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.dsBm.bmBitsPixel, 32);
    // The picture is upright: the rounded corner's transparent pixel is at the top left, the same in
    // both copies; deleting one leaves the other intact.
    EXPECT_EQ(test::BitmapPixel(first.get(), 0, 0), SkinKeyColor);
    first.reset();
    EXPECT_EQ(test::BitmapPixel(second.get(), 0, 0), SkinKeyColor);
    EXPECT_NE(test::BitmapPixel(second.get(), 28, 11), SkinKeyColor);
}

TEST(SkinImage, EveryStandardImageLoads) {
    for (UINT id : {129u, 131u, 132u, 133u, 134u, 135u, 136u, 137u, 138u, 139u,
                    140u, 141u, 142u, 148u, 149u, 150u, 151u, 152u, 153u, 162u}) {
        UniqueBitmap image(LoadSkinImage(::GetModuleHandleW(nullptr), id));
        EXPECT_TRUE(image) << id;
    }
    const SIZE skin = BitmapSize(UniqueBitmap(LoadSkinImage(::GetModuleHandleW(nullptr), 131)).get());
    EXPECT_EQ(skin.cx, 30);
    EXPECT_EQ(skin.cy, 51);
}

TEST(SkinImage, LoadsUseTheProcesssGdiplusAndNeverStartItThemselves) {
    ASSERT_TRUE(GdiplusSession::Active());
    const unsigned starts = GdiplusSession::StartCount();
    for (int i = 0; i < 40; ++i) {
        UniqueBitmap image(LoadSkinPng(::GetModuleHandleW(nullptr), 131 + i % 7));
        EXPECT_TRUE(image) << i;
    }
    EXPECT_EQ(GdiplusSession::StartCount(), starts);
}

TEST(SkinImage, EverySkinBitmapIsItsPngAsTheProgramDecodesIt) {
    std::vector<UniqueBitmap> plains;
    {
        // Without GDI+ what loads is the bitmap the build made.
        test::WithoutGdiplus none;
        for (UINT id : SkinIds)
            plains.emplace_back(LoadSkinImage(::GetModuleHandleW(nullptr), id));
    }
    for (size_t i = 0; i < plains.size(); ++i) {
        const UINT id = SkinIds[i];
        const UniqueBitmap& plain = plains[i];
        UniqueBitmap decoded(LoadSkinPng(::GetModuleHandleW(nullptr), id));
        ASSERT_TRUE(plain && decoded) << id;
        EXPECT_EQ(BitmapSize(plain.get()).cx, BitmapSize(decoded.get()).cx) << id;
        EXPECT_EQ(BitmapSize(plain.get()).cy, BitmapSize(decoded.get()).cy) << id;
        const std::vector<COLORREF> a = Pixels(plain.get()), b = Pixels(decoded.get());
        ASSERT_FALSE(a.empty()) << id;
        EXPECT_TRUE(a == b) << id;
    }
    // The login's backdrop keeps its alpha: it has no bitmap of its own.
    EXPECT_EQ(::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(129), RT_BITMAP), nullptr);
}

TEST(SkinImage, WithoutAGdiplusSessionAPngGivesNullAndABitmapStillLoads) {
    {
        test::WithoutGdiplus none;
        ASSERT_FALSE(GdiplusSession::Active());
        const unsigned starts = GdiplusSession::StartCount();
        EXPECT_EQ(LoadSkinPng(::GetModuleHandleW(nullptr), 133), nullptr);
        EXPECT_EQ(LoadSkinImage(::GetModuleHandleW(nullptr), 129), nullptr);
        EXPECT_TRUE(UniqueBitmap(LoadSkinImage(::GetModuleHandleW(nullptr), 133)));
        EXPECT_EQ(GdiplusSession::StartCount(), starts);
        // A session of one's own is enough.
        GdiplusSession own;
        ASSERT_TRUE(own.ok());
        EXPECT_TRUE(UniqueBitmap(LoadSkinPng(::GetModuleHandleW(nullptr), 133)));
    }
    EXPECT_TRUE(UniqueBitmap(LoadSkinPng(::GetModuleHandleW(nullptr), 133)));
}
