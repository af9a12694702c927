// Skin images: PNG resources turned into opaque GDI bitmaps in which RGB(255, 0, 255) means transparent.
#pragma once

#include <windows.h>

namespace zarn {

// The colour key of every skin image.
inline constexpr COLORREF SkinKeyColor = RGB(255, 0, 255);

// A new bitmap (owned by the caller) from the bitmap resource `id` if there is one, else from the "PNG"
// resource `id`; null for a null instance, a missing or undecodable resource. A PNG is decoded only
// while a GdiplusSession is up (framework/GdiplusSession.h); without one the result is null.
HBITMAP LoadSkinImage(HINSTANCE instance, UINT id);

// The PNG half of LoadSkinImage: the "PNG" resource `id` decoded and colour-keyed into a new 32-bit
// DIB section, whether or not a bitmap resource of that number exists.
HBITMAP LoadSkinPng(HINSTANCE instance, UINT id);

} // namespace zarn
