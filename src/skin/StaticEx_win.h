// CStaticEx: a static text over its parent's background that wraps itself character by character,
// grows downwards to hold its lines, and may show an image, an underline and a hand cursor.
#pragma once

#include <string>

#include "framework/Controls.h"
#include "framework/Handle.h"

namespace zarn {

class CStaticEx : public CStatic {
  public:
    ~CStaticEx() override { DestroyWindow(); }
    // Shows `image` (only read) left of the text; FALSE for a null image.
    BOOL SetImage(HBITMAP image);

    std::wstring Text;
    int FontHeight = 0; // lfHeight; 0 means -12
    BOOL LinkCursor = FALSE;
    BOOL Underline = FALSE;
    UniqueFont Font; // made at the first paint
    COLORREF TextColor = RGB(0, 0, 0);
    int LineSpacing = 3;
    BOOL Hovered = FALSE;
    BOOL MouseTracking = FALSE;
    CImageList Images;
    int ImageWidth = 0;
    int ImageHeight = 0;

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    // Draws the wrapped text into dc and grows the window when the lines need more height.
    virtual void DrawLabel(HDC dc);

  private:
    void Paint();
    UINT TextFormat() const;
};

} // namespace zarn
