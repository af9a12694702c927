// Double-buffered painting: a memory DC with a bitmap of a given size, composed off screen and copied
// to the real DC once.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

namespace zarn {

class MemoryCanvas {
  public:
    // A bitmap of width x height compatible with `compatible`, selected into a new memory DC.
    MemoryCanvas(HDC compatible, int width, int height);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    bool ok() const { return dc_.valid() && bitmap_.valid(); }
    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // Copies the whole picture to (x, y) of `target`.
    void CopyTo(HDC target, int x = 0, int y = 0) const;

  private:
    UniqueBitmap bitmap_;
    UniqueMemoryDC dc_;
    HGDIOBJ oldBitmap_ = nullptr;
    int width_;
    int height_;
};

// A memory DC with an existing bitmap selected for reading (e.g. a skin image); the bitmap is not owned.
class BitmapSource {
  public:
    BitmapSource(HDC compatible, HBITMAP bitmap);
    ~BitmapSource();
    BitmapSource(const BitmapSource&) = delete;
    BitmapSource& operator=(const BitmapSource&) = delete;
    bool ok() const { return dc_.valid() && old_ != nullptr; }
    HDC dc() const { return dc_.get(); }

  private:
    UniqueMemoryDC dc_;
    HGDIOBJ old_ = nullptr;
};

// The size of a bitmap; (0, 0) for null.
SIZE BitmapSize(HBITMAP bitmap);

// A font like `base` (or the stock font `fallback` when base is null) with height, weight, underline
// and face changed; weight 0 and a null face keep the base's.
UniqueFont MakeFont(HFONT base, int stockFallback, LONG height, LONG weight, BOOL underline,
                    const wchar_t* face);

} // namespace zarn
