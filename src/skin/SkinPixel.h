// The colour-key rule of skin images: how one ARGB pixel of a PNG becomes an opaque pixel in which
// RGB(255, 0, 255) stands for transparent. Portable.
#pragma once

#include <cstdint>

namespace zarn::skin {

struct Rgb {
    std::uint8_t R, G, B;
    bool operator==(const Rgb& o) const { return R == o.R && G == o.G && B == o.B; }
};

inline constexpr Rgb KeyRgb{255, 0, 255};

// Opaque pixels keep their colour, fully transparent ones become the key colour, and the others are
// composited over white: c' = (A * (c - 255) + 65025) / 255.
Rgb ConvertSkinPixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b, Rgb key = KeyRgb);

// Converts a top-down row-major image of 0xAARRGGBB values into bottom-up 32-bit BGRX rows (DIB order,
// fourth byte 0). `out` holds width * height * 4 bytes.
void ConvertSkinImage(const std::uint32_t* argbTopDown, int width, int height, std::uint8_t* bgrxBottomUp,
                      Rgb key = KeyRgb);

} // namespace zarn::skin
