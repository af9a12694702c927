// CImgProgress: image progress bar. The fill shows the fill image's two ends with its middle cut out.
#include "skin/ImgProgress_win.h"

#include "framework/Gdi.h"
#include "skin/ParentBackground_win.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage_win.h"

namespace zarn {

BOOL CImgProgress::SetImages(UniqueBitmap&& track, UniqueBitmap&& fill) {
    TrackBitmap = std::move(track);
    FillBitmap = std::move(fill);
    const SIZE trackSize = BitmapSize(TrackBitmap.get());
    const SIZE fillSize = BitmapSize(FillBitmap.get());
    SetSize(trackSize.cx, trackSize.cy);
    // Computed afresh, so that a second call does not add to the first one's rectangles.
    ControlRect = RECT{0, 0, trackSize.cx, trackSize.cy};
    const int dx = (trackSize.cx - fillSize.cx) / 2;
    const int dy = (trackSize.cy - fillSize.cy) / 2;
    FillRect = RECT{dx, dy, dx + fillSize.cx, dy + fillSize.cy};
    Invalidate(FALSE);
    return TRUE;
}

void CImgProgress::Paint() {
    PaintDC paint(GetSafeHwnd());
    const int width = ControlRect.right - ControlRect.left;
    const int height = ControlRect.bottom - ControlRect.top;
    if (width <= 0 || height <= 0)
        return;
    MemoryCanvas canvas(paint.get(), width, height);
    if (!canvas.ok())
        return;
    PaintParentBackground(GetSafeHwnd(), canvas.dc());
    if (TrackBitmap) {
        BitmapSource track(canvas.dc(), TrackBitmap.get());
        const SIZE size = BitmapSize(TrackBitmap.get());
        if (track.ok())
            ::TransparentBlt(canvas.dc(), 0, 0, width, height, track.dc(), 0, 0, size.cx, size.cy,
                             SkinKeyColor);
    }
    if (FillBitmap) {
        int lo = 0, hi = 0;
        GetRange(lo, hi);
        const int fillWidth = FillRect.right - FillRect.left;
        const int fillHeight = FillRect.bottom - FillRect.top;
        const skin::ProgressFill fill = skin::ComputeProgressFill(GetPos(), lo, hi, fillWidth);
        BitmapSource source(canvas.dc(), FillBitmap.get());
        if (source.ok() && fill.Half > 0)
            ::TransparentBlt(canvas.dc(), FillRect.left, FillRect.top, fill.Half, fillHeight, source.dc(), 0,
                             0, fill.Half, fillHeight, SkinKeyColor);
        if (source.ok() && fill.Rest > 0)
            ::TransparentBlt(canvas.dc(), FillRect.left + fill.Half, FillRect.top, fill.Rest, fillHeight,
                             source.dc(), fill.RestSource, 0, fill.Rest, fillHeight, SkinKeyColor);
    }
    canvas.CopyTo(paint.get());
}

LRESULT CImgProgress::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT:
        Paint();
        return 0;
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        // The system control may repaint directly; our picture follows the new state instead.
        const LRESULT result = CProgressCtrl::WindowProc(msg, w, l);
        Invalidate(FALSE);
        return result;
    }
    default:
        return CProgressCtrl::WindowProc(msg, w, l);
    }
}

} // namespace zarn
