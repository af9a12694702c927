// Memory canvases and small GDI helpers.
#include "framework/Gdi.h"

#include <cwchar>

namespace zarn {

MemoryCanvas::MemoryCanvas(HDC compatible, int width, int height)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    bitmap_.reset(::CreateCompatibleBitmap(compatible, width_, height_));
    dc_.reset(::CreateCompatibleDC(compatible));
    if (ok())
        oldBitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
}

MemoryCanvas::~MemoryCanvas() {
    if (oldBitmap_)
        ::SelectObject(dc_.get(), oldBitmap_);
}

void MemoryCanvas::CopyTo(HDC target, int x, int y) const {
    if (ok())
        ::BitBlt(target, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

BitmapSource::BitmapSource(HDC compatible, HBITMAP bitmap) : dc_(::CreateCompatibleDC(compatible)) {
    if (dc_ && bitmap)
        old_ = ::SelectObject(dc_.get(), bitmap);
}

BitmapSource::~BitmapSource() {
    if (old_)
        ::SelectObject(dc_.get(), old_);
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

UniqueFont MakeFont(HFONT base, int stockFallback, LONG height, LONG weight, BOOL underline,
                    const wchar_t* face) {
    LOGFONTW logFont{};
    HGDIOBJ source = base ? static_cast<HGDIOBJ>(base) : ::GetStockObject(stockFallback);
    ::GetObjectW(source, sizeof(logFont), &logFont);
    logFont.lfHeight = height;
    if (weight)
        logFont.lfWeight = weight;
    logFont.lfUnderline = underline ? TRUE : FALSE;
    if (face)
        std::wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    return UniqueFont(::CreateFontIndirectW(&logFont));
}

} // namespace zarn
