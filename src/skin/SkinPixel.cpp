// The colour-key conversion of skin images.
#include "skin/SkinPixel.h"

#include <cstddef>

namespace zarn::skin {
namespace {
std::uint8_t OverWhite(int a, int c) {
    return static_cast<std::uint8_t>((a * (c - 255) + 65025) / 255);
}
} // namespace

Rgb ConvertSkinPixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b, Rgb key) {
    if (a == 255)
        return Rgb{r, g, b};
    if (a == 0)
        return key;
    return Rgb{OverWhite(a, r), OverWhite(a, g), OverWhite(a, b)};
}

void ConvertSkinImage(const std::uint32_t* argbTopDown, int width, int height, std::uint8_t* bgrxBottomUp,
                      Rgb key) {
    for (int i = 0; i < height; ++i) {
        const std::uint32_t* source = argbTopDown + static_cast<std::size_t>(i) * width;
        std::uint8_t* target = bgrxBottomUp + static_cast<std::size_t>(height - 1 - i) * width * 4;
        for (int j = 0; j < width; ++j) {
            const std::uint32_t p = source[j];
            const Rgb c =
                ConvertSkinPixel(static_cast<std::uint8_t>(p >> 24), static_cast<std::uint8_t>(p >> 16),
                                 static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p), key);
            target[j * 4 + 0] = c.B;
            target[j * 4 + 1] = c.G;
            target[j * 4 + 2] = c.R;
            target[j * 4 + 3] = 0;
        }
    }
}

} // namespace zarn::skin
