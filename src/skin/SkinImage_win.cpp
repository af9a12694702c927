// LoadSkinImage: takes a plain bitmap resource (the build makes one of every skin PNG), or decodes the
// PNG resource with the process's GDI+ and applies the colour-key rule of SkinPixel.h.
#include "skin/SkinImage_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "framework/GdiplusSession.h"
#include "framework/Handle.h"
#include "skin/SkinPixel.h"

namespace zarn {
namespace {

// A memory stream holding a copy of the resource's bytes.
ComPtr<IStream> ResourceStream(HINSTANCE instance, UINT id) {
    ComPtr<IStream> stream;
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG");
    if (!info)
        return stream;
    const DWORD size = ::SizeofResource(instance, info);
    HGLOBAL loaded = ::LoadResource(instance, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return stream;
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory)
        return stream;
    void* target = ::GlobalLock(memory.get());
    if (!target)
        return stream;
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory.get());
    if (SUCCEEDED(::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put())))
        memory.release(); // the stream frees it
    return stream;
}

// The colour-keyed 32-bit bottom-up DIB of a decoded image, or null.
HBITMAP ConvertWithColorKey(Gdiplus::Bitmap& image) {
    const int width = static_cast<int>(image.GetWidth());
    const int height = static_cast<int>(image.GetHeight());
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    WindowDC screen(nullptr);
    UniqueBitmap dib(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
        return nullptr;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return nullptr;
    auto* target = static_cast<std::uint8_t*>(bits);
    for (int i = 0; i < height; ++i) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(data.Scan0) + static_cast<INT_PTR>(i) * data.Stride);
        // One source row becomes DIB row height - 1 - i; converting a 1-row image at a time keeps the
        // stride of the locked data out of the portable rule.
        skin::ConvertSkinImage(row, width, 1, target + static_cast<size_t>(height - 1 - i) * width * 4);
    }
    image.UnlockBits(&data);
    ::GdiFlush();
    return dib.release();
}

} // namespace

HBITMAP LoadSkinImage(HINSTANCE instance, UINT id) {
    if (!instance)
        return nullptr;
    // As a DIB section the key colour stays exact whatever the display's colour depth.
    if (HANDLE plain = ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
        return static_cast<HBITMAP>(plain);
    return LoadSkinPng(instance, id);
}

HBITMAP LoadSkinPng(HINSTANCE instance, UINT id) {
    if (!instance)
        return nullptr;
    // GDI+ belongs to the process's session (the application object's); a load never starts it.
    if (!GdiplusSession::Active())
        return nullptr;
    ComPtr<IStream> stream = ResourceStream(instance, id);
    if (!stream)
        return nullptr;
    HBITMAP result = nullptr;
    {
        Gdiplus::Bitmap image(stream.get());
        if (image.GetLastStatus() != Gdiplus::Ok)
            return nullptr;
        result = ConvertWithColorKey(image);
        if (!result && image.GetHBITMAP(Gdiplus::Color(0xFFFF00FF), &result) != Gdiplus::Ok)
            result = nullptr;
    }
    return result;
}

} // namespace zarn
