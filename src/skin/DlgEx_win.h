// CDlgEx: the base of every skinned dialog. A frameless window painted from a skin bitmap (nine-slice
// or 1:1), with its outline cut from the skin's corners, a caption and icon in the title band, its own
// close/minimise/maximise buttons, dragging, optional resizing and its own maximised state.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "framework/Handle.h"
#include "skin/BtnEx_win.h"

namespace zarn {

class CDlgEx : public CDialog {
  public:
    ~CDlgEx() override { DestroyWindow(); }
    enum : UINT { CloseButtonId = 50000, MinimizeButtonId = 50001, MaximizeButtonId = 50002 };

    explicit CDlgEx(UINT templateId, HWND parent = nullptr);

    // Installs the skin and creates the title-bar buttons whose images are given. resizeToSkin: the
    // window takes the skin's size. stretch: nine-slice; else 1:1. The skin and, with a maximise image,
    // the maximise and restore images become the dialog's (a restore image without a maximise image is
    // not kept); the minimise and close images are only read.
    BOOL SetSkin(UniqueBitmap&& skin, BOOL resizeToSkin, BOOL stretch, HBITMAP minimizeImage,
                 UniqueBitmap&& maximizeImage, UniqueBitmap&& restoreImage, HBITMAP closeImage);
    // Sets the window text and repaints the caption.
    void SetTitle(const std::wstring& text);
    // Rebuilds the window region from the skin's corner pixels.
    void UpdateSkinRegion();
    // Repaints every existing title-bar button.
    void InvalidateTitleButtons();
    // Sets the title band, frame and title-button placement in one go (a subclass's OnInitDialog).
    void SetFrameLayout(int titleHeight, int frameWidth, int buttonRightMargin, int buttonTop, int buttonGap);

    // Title-bar button actions.
    virtual void OnCloseButton();
    virtual void OnMinimizeButton();
    virtual LRESULT OnMaximizeButton();
    virtual void SetMaximizeButtonState(BOOL maximized);

    BOOL ShowCaption = TRUE;
    BOOL ShowIcon = TRUE;
    int TitleHeight = -1;
    int ButtonRightMargin = 5;
    int ButtonTop = 1;
    int ButtonGap = 0;
    int FrameWidth = 3;
    COLORREF CaptionColor = RGB(255, 255, 255);
    int CaptionWeight = 400;
    UniqueBitmap SkinBitmap;
    CBtnEx CloseButton;
    CBtnEx MinimizeButton;
    CBtnEx MaximizeButton;
    int MaxWidth = 1440;
    int MaxHeight = 900;
    RECT RestoreRect{};
    BOOL Maximized = FALSE;
    BOOL Resizable = FALSE;
    BOOL StretchSkin = FALSE;
    UniqueBitmap MaximizeBitmap;
    UniqueBitmap RestoreBitmap;

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

    // Paints skin, icon and caption into dc (which may be a child's picture with a shifted origin).
    BOOL OnEraseBkgnd(HDC dc);
    void DrawSkin(HDC dc, int width, int height);

  private:
    void DrawIconAndCaption(HDC dc);
    LRESULT OnNcHitTest(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnNcLButtonDown(UINT msg, WPARAM w, LPARAM l);
    void OnSize(int cx);
    void CreateTitleButton(CBtnEx& button, int right, UINT id, HBITMAP image, const wchar_t* tip);
    bool HasSmallIcon() const;
};

} // namespace zarn
