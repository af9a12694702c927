// CImgProgress: a progress bar drawn from a track image and a fill image over its parent's background.
#pragma once

#include "framework/Controls.h"
#include "framework/Handle.h"

namespace zarn {

class CImgProgress : public CProgressCtrl {
  public:
    ~CImgProgress() override { DestroyWindow(); }
    // Takes ownership of both images; the control takes the track's size and the fill is centred on it.
    // A later call replaces images and rectangles alike.
    BOOL SetImages(UniqueBitmap&& track, UniqueBitmap&& fill);

    UniqueBitmap TrackBitmap;
    UniqueBitmap FillBitmap;
    RECT ControlRect{};
    RECT FillRect{};

  protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void Paint();
};

} // namespace zarn
