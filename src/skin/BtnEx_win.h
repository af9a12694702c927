// CBtnEx: a push button drawn from a strip of four frames (normal, hover, pressed, disabled) over its
// parent's background, with an optional centred label and tooltip.
#pragma once

#include <string>

#include "framework/Controls.h"

namespace zarn {

class CBtnEx : public CButton {
  public:
    ~CBtnEx() override { DestroyWindow(); }
    // Frame indices in the strip.
    enum Frame { FrameNormal = 0, FrameHover = 1, FramePressed = 2, FrameDisabled = 3 };

    // Makes the frames from `strip` (width / 4 x height); resize: the button takes the frame's size.
    // The strip is only read.
    BOOL SetImage(HBITMAP strip, BOOL resize);
    // Sets the tooltip's text. The tooltip window itself comes with the first mouse message over the
    // button: a tooltip is a window of its own, and a dialog full of buttons would otherwise make them
    // all before it could show.
    void SetToolTip(const std::wstring& text);
    // Forgets hover and mouse tracking (after the button moved away under the mouse).
    void ClearHover() {
        Hovered = FALSE;
        MouseTracking = FALSE;
    }
    // Re-reads the window rectangle (its size is the drawing size).
    void RefreshWindowRect() { WindowRect = GetWindowRect(); }
    // The frame the current state shows (disabled wins over pressed over hover).
    int FrameFor(UINT itemState);

    BOOL PreTranslateMessage(MSG* msg) override;

    BOOL MouseTracking = FALSE;
    BOOL Hovered = FALSE;
    RECT WindowRect{};
    std::wstring Text;
    COLORREF TextColor = RGB(0, 0, 0);
    CImageList Images;
    BOOL PressedLatch = FALSE;
    BOOL HasToolTip = FALSE;
    CToolTipCtrl ToolTip;
    std::wstring ToolTipText;

  protected:
    void PreSubclassWindow() override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void PostNcDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void CreateToolTip();

    void DrawFrame(HDC dc, int frame, int width, int height);
    void DrawLabel(HDC dc, int frame);
};

// Requests hover (after 10 ms) and leave notifications for `wnd`; the request's success.
BOOL TrackHoverAndLeave(HWND wnd);

// The hover state of a control drawn from its own state: WM_MOUSEMOVE asks for hover and leave
// notifications (once until the next leave) and is not consumed; WM_MOUSEHOVER and WM_MOUSELEAVE set
// `hovered` and repaint. True when msg was a hover or leave message, which the caller answers with 0.
bool HandleHoverMessage(HWND wnd, UINT msg, BOOL& hovered, BOOL& tracking);

} // namespace zarn
