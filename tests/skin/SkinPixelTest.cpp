// The colour-key rule of skin images.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/SkinPixel.h"

using zarn::skin::ConvertSkinImage;
using zarn::skin::ConvertSkinPixel;
using zarn::skin::KeyRgb;
using zarn::skin::Rgb;

TEST(SkinPixel, HalfTransparentIsCompositedOverWhite) {
    EXPECT_EQ(ConvertSkinPixel(128, 0, 0, 0), (Rgb{127, 127, 127}));
    EXPECT_EQ(ConvertSkinPixel(1, 0, 0, 0), (Rgb{254, 254, 254}));
    EXPECT_EQ(ConvertSkinPixel(254, 0, 0, 0), (Rgb{1, 1, 1}));
    EXPECT_EQ(ConvertSkinPixel(128, 255, 255, 255), (Rgb{255, 255, 255}));
    EXPECT_EQ(ConvertSkinPixel(128, 255, 0, 100), (Rgb{255, 127, 177}));
}

TEST(SkinPixel, FullyTransparentBecomesTheKeyWhateverItsColour) {
    EXPECT_EQ(ConvertSkinPixel(0, 0, 0, 0), KeyRgb);
    EXPECT_EQ(ConvertSkinPixel(0, 12, 34, 56), KeyRgb);
    EXPECT_EQ(ConvertSkinPixel(0, 1, 2, 3, Rgb{9, 8, 7}), (Rgb{9, 8, 7}));
}

TEST(SkinPixel, OpaqueKeepsItsColourEvenMagenta) {
    EXPECT_EQ(ConvertSkinPixel(255, 12, 34, 56), (Rgb{12, 34, 56}));
    EXPECT_EQ(ConvertSkinPixel(255, 255, 0, 255), KeyRgb);
}

TEST(SkinPixel, ImageRowsAreFlippedIntoBottomUpBgrx) {
    // 2 x 2: top row red, transparent; bottom row half-black, opaque magenta.
    const std::vector<std::uint32_t> argb = {0xFFFF0000u, 0x00123456u, 0x80000000u, 0xFFFF00FFu};
    std::vector<std::uint8_t> out(2 * 2 * 4, 0xAA);
    ConvertSkinImage(argb.data(), 2, 2, out.data());
    // DIB row 0 is the picture's bottom row.
    const std::vector<std::uint8_t> expected = {127, 127, 127, 0, 255, 0, 255, 0,  // bottom
                                                0,   0,   255, 0, 255, 0, 255, 0}; // top
    EXPECT_EQ(out, expected);
}
