// LoadSkinImage against the program's own resources, with the test program's GDI+ session and without.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "framework/GdiplusSession.h"
#include "framework/Handle.h"
#include "skin/SkinImage_win.h"
#include "support/GdiplusTestSupport_win.h"
#include "support/SkinTestSupport_win.h"

using namespace zarn;

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
    BITMAP info{};
    ::GetObjectW(first.get(), sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
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
        UniqueBitmap image(LoadSkinImage(::GetModuleHandleW(nullptr), 131 + i % 7));
        EXPECT_TRUE(image) << i;
    }
    EXPECT_EQ(GdiplusSession::StartCount(), starts);
}

TEST(SkinImage, WithoutAGdiplusSessionAPngGivesNull) {
    {
        test::WithoutGdiplus none;
        ASSERT_FALSE(GdiplusSession::Active());
        const unsigned starts = GdiplusSession::StartCount();
        EXPECT_EQ(LoadSkinImage(::GetModuleHandleW(nullptr), 133), nullptr);
        EXPECT_EQ(LoadSkinImage(::GetModuleHandleW(nullptr), 131), nullptr);
        EXPECT_EQ(GdiplusSession::StartCount(), starts);
        // A session of one's own is enough.
        GdiplusSession own;
        ASSERT_TRUE(own.ok());
        EXPECT_TRUE(UniqueBitmap(LoadSkinImage(::GetModuleHandleW(nullptr), 133)));
    }
    EXPECT_TRUE(UniqueBitmap(LoadSkinImage(::GetModuleHandleW(nullptr), 133)));
}
