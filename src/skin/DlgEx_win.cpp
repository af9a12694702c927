// CDlgEx: skin painting, region, title-bar buttons, hit testing and the dialog's own maximised state.
#include "skin/DlgEx_win.h"

#include "framework/Gdi.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage_win.h"
#include "skin/SkinRect_win.h"

namespace zarn {
namespace {
const wchar_t CaptionFace[] = L"微软雅黑";

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
} // namespace

CDlgEx::CDlgEx(UINT templateId, HWND parent) : CDialog(templateId, parent) {}

BOOL CDlgEx::OnInitDialog() {
    CDialog::OnInitDialog();
    ModifyStyle(WS_CAPTION | DS_MODALFRAME, WS_MINIMIZEBOX);
    ModifyStyleEx(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, 0);
    // Let the system recompute the (now empty) frame; position and size stay.
    ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT work = WorkArea();
    MaxWidth = work.right - work.left;
    MaxHeight = work.bottom - work.top;
    RestoreRect = ToRect(skin::InitialRestoreRect(ToEdges(work)));
    return TRUE;
}

bool CDlgEx::HasSmallIcon() const {
    return SendMessage(WM_GETICON, ICON_SMALL, 0) != 0;
}

namespace {
// The width a title-bar button will have: its image's frame when it is to be (re-)created, else the
// width of the button as it stands (0 when there is none).
int TitleButtonWidth(HBITMAP image, const CBtnEx& button) {
    if (image)
        return BitmapSize(image).cx / 4;
    if (!button.GetSafeHwnd())
        return 0;
    const RECT r = button.GetWindowRect();
    return static_cast<int>(r.right - r.left);
}
} // namespace

BOOL CDlgEx::SetSkin(UniqueBitmap&& skinImage, BOOL resizeToSkin, BOOL stretch, HBITMAP minimizeImage,
                     UniqueBitmap&& maximizeImage, UniqueBitmap&& restoreImage, HBITMAP closeImage) {
    SkinBitmap = std::move(skinImage);
    StretchSkin = stretch;
    const SIZE skinSize = BitmapSize(SkinBitmap.get());
    RECT layout = GetClientRect();
    if (resizeToSkin) {
        SetSize(skinSize.cx, skinSize.cy);
        layout = RECT{0, 0, skinSize.cx, skinSize.cy};
    }
    UpdateSkinRegion();

    const skin::TitleButtonRights rights = skin::LayoutTitleButtons(
        layout.right - ButtonRightMargin, ButtonGap, TitleButtonWidth(closeImage, CloseButton),
        TitleButtonWidth(maximizeImage.get(), MaximizeButton),
        TitleButtonWidth(minimizeImage, MinimizeButton));
    if (closeImage)
        CreateTitleButton(CloseButton, rights.Close, CloseButtonId, closeImage, L"关闭");
    if (maximizeImage) {
        CreateTitleButton(MaximizeButton, rights.Maximize, MaximizeButtonId, maximizeImage.get(), L"最大化");
        MaximizeBitmap = std::move(maximizeImage);
        RestoreBitmap = std::move(restoreImage);
    }
    if (minimizeImage)
        CreateTitleButton(MinimizeButton, rights.Minimize, MinimizeButtonId, minimizeImage, L"最小化");
    Invalidate(TRUE);
    return TRUE;
}

void CDlgEx::CreateTitleButton(CBtnEx& button, int right, UINT id, HBITMAP image, const wchar_t* tip) {
    if (button.GetSafeHwnd())
        button.DestroyWindow();
    const SIZE size = BitmapSize(image);
    const int frameWidth = size.cx / 4;
    const RECT rect{right - frameWidth, ButtonTop, right, ButtonTop + size.cy};
    if (!button.Create(L"", WS_VISIBLE | BS_PUSHBUTTON, rect, GetSafeHwnd(), id))
        return;
    button.SetImage(image, FALSE);
    button.SetToolTip(tip);
}

void CDlgEx::UpdateSkinRegion() {
    if (!SkinBitmap)
        return;
    const RECT window = GetWindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const SIZE skinSize = BitmapSize(SkinBitmap.get());
    UniqueRegion region(::CreateRectRgn(0, 0, width, height));
    if (!region)
        return;
    {
        WindowDC screen(nullptr);
        BitmapSource source(screen.get(), SkinBitmap.get());
        if (!source.ok())
            return;
        const auto isKey = [&](int x, int y) { return ::GetPixel(source.dc(), x, y) == SkinKeyColor; };
        for (const skin::Point& p : skin::CornerCuts(width, height, skinSize.cx, skinSize.cy, isKey)) {
            UniqueRegion dot(::CreateRectRgn(p.X, p.Y, p.X + 1, p.Y + 1));
            if (dot)
                ::CombineRgn(region.get(), region.get(), dot.get(), RGN_DIFF);
        }
    }
    if (::SetWindowRgn(GetSafeHwnd(), region.get(), FALSE))
        region.release(); // the window owns it now
}

void CDlgEx::SetFrameLayout(int titleHeight, int frameWidth, int buttonRightMargin, int buttonTop,
                            int buttonGap) {
    TitleHeight = titleHeight;
    FrameWidth = frameWidth;
    ButtonRightMargin = buttonRightMargin;
    ButtonTop = buttonTop;
    ButtonGap = buttonGap;
}

void CDlgEx::InvalidateTitleButtons() {
    for (CBtnEx* button : {&CloseButton, &MinimizeButton, &MaximizeButton}) {
        if (button->GetSafeHwnd())
            button->Invalidate(TRUE);
    }
}

void CDlgEx::SetTitle(const std::wstring& text) {
    SetWindowText(text);
    if (!GetSafeHwnd())
        return;
    LOGFONTW dialogFont{};
    if (HFONT font = GetFont())
        ::GetObjectW(font, sizeof(dialogFont), &dialogFont);
    const int fontHeight = dialogFont.lfHeight < 0 ? -dialogFont.lfHeight : dialogFont.lfHeight;
    const RECT client = GetClientRect();
    RECT strip{skin::CaptionLeft(HasSmallIcon(), FrameWidth),
               skin::CaptionInvalidTop(TitleHeight, fontHeight), client.right, 0};
    {
        WindowDC dc(GetSafeHwnd());
        SelectGuard select(dc.get(), GetFont());
        RECT measured = strip;
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &measured, DT_CALCRECT);
        strip.bottom = measured.bottom;
    }
    // The caption is drawn in its own font: take in the whole title band too.
    strip.top = 0;
    if (strip.bottom < TitleHeight)
        strip.bottom = TitleHeight;
    ::InvalidateRect(GetSafeHwnd(), &strip, TRUE);
}

void CDlgEx::DrawSkin(HDC dc, int width, int height) {
    const SIZE skinSize = BitmapSize(SkinBitmap.get());
    BitmapSource source(dc, SkinBitmap.get());
    if (!source.ok())
        return;
    ::SetStretchBltMode(dc, COLORONCOLOR);
    for (const skin::SkinPiece& piece :
         skin::SkinPieces(StretchSkin, width, height, skinSize.cx, skinSize.cy, FrameWidth, TitleHeight)) {
        const skin::Box& d = piece.Dest;
        const skin::Box& s = piece.Source;
        if (piece.Stretch)
            ::StretchBlt(dc, d.X, d.Y, d.Width, d.Height, source.dc(), s.X, s.Y, s.Width, s.Height, SRCCOPY);
        else
            ::BitBlt(dc, d.X, d.Y, d.Width, d.Height, source.dc(), s.X, s.Y, SRCCOPY);
    }
}

void CDlgEx::DrawIconAndCaption(HDC dc) {
    int iconOffset = 0;
    auto icon = reinterpret_cast<HICON>(SendMessage(WM_GETICON, ICON_SMALL, 0));
    if (icon && ShowIcon) {
        ::DrawIconEx(dc, FrameWidth, skin::IconTop(TitleHeight), icon, 16, 16, 0, nullptr, DI_NORMAL);
        iconOffset = 16;
    }
    if (!ShowCaption)
        return;
    const std::wstring caption = GetWindowText();
    SavedDCState saved(dc);
    UniqueFont font = MakeFont(GetFont(), DEFAULT_GUI_FONT, -12, CaptionWeight, FALSE, CaptionFace);
    SelectGuard select(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, CaptionColor);
    ::TextOutW(dc, iconOffset + FrameWidth + 5, skin::CaptionTop(TitleHeight), caption.c_str(),
               static_cast<int>(caption.size()));
}

BOOL CDlgEx::OnEraseBkgnd(HDC dc) {
    if (!SkinBitmap)
        return FALSE;
    const RECT window = GetWindowRect();
    MemoryCanvas canvas(dc, window.right - window.left, window.bottom - window.top);
    if (!canvas.ok())
        return FALSE;
    DrawSkin(canvas.dc(), canvas.width(), canvas.height());
    DrawIconAndCaption(canvas.dc());
    canvas.CopyTo(dc);
    return TRUE;
}

LRESULT CDlgEx::OnNcHitTest(UINT msg, WPARAM w, LPARAM l) {
    if (Maximized)
        return Default(msg, w, l);
    POINT p = PointFromLParam(l);
    ::ScreenToClient(GetSafeHwnd(), &p);
    const RECT client = GetClientRect();
    const skin::HitCode code =
        skin::SkinHitTest(Resizable != FALSE, p.x, p.y, client.right, client.bottom, FrameWidth, TitleHeight);
    return code == skin::HitDefault ? Default(msg, w, l) : static_cast<LRESULT>(code);
}

LRESULT CDlgEx::OnNcLButtonDown(UINT msg, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    if (const unsigned command = skin::SizeCommandFor(static_cast<int>(w)))
        SendMessage(WM_SYSCOMMAND, command, l);
    else
        result = Default(msg, w, l);
    if (GetSafeHwnd())
        RestoreRect = GetWindowRect();
    return result;
}

void CDlgEx::OnSize(int cx) {
    if (!SkinBitmap)
        return;
    UpdateSkinRegion();
    Invalidate(TRUE);
    int x = cx - ButtonRightMargin;
    for (CBtnEx* button : {&CloseButton, &MaximizeButton, &MinimizeButton}) {
        if (!button->GetSafeHwnd())
            continue;
        const RECT r = button->GetRectInParent();
        const int width = r.right - r.left;
        ::MoveWindow(button->GetSafeHwnd(), x - width, r.top, width, r.bottom - r.top, TRUE);
        x -= width;
    }
}

void CDlgEx::OnCloseButton() {
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CDlgEx::OnMinimizeButton() {
    PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

LRESULT CDlgEx::OnMaximizeButton() {
    if (Maximized) {
        ::MoveWindow(GetSafeHwnd(), RestoreRect.left, RestoreRect.top, RestoreRect.right - RestoreRect.left,
                     RestoreRect.bottom - RestoreRect.top, TRUE);
        SetMaximizeButtonState(FALSE);
    } else {
        const RECT target = ToRect(skin::MaximizedRect(ToEdges(WorkArea()), MaxWidth, MaxHeight));
        ::MoveWindow(GetSafeHwnd(), target.left, target.top, target.right - target.left,
                     target.bottom - target.top, TRUE);
        SetMaximizeButtonState(TRUE);
    }
    MaximizeButton.ClearHover();
    Maximized = !Maximized;
    return 0;
}

void CDlgEx::SetMaximizeButtonState(BOOL maximized) {
    if (!MaximizeButton.GetSafeHwnd())
        return;
    HBITMAP image = maximized ? RestoreBitmap.get() : MaximizeBitmap.get();
    if (image)
        MaximizeButton.SetImage(image, FALSE);
    MaximizeButton.RefreshWindowRect();
    MaximizeButton.SetToolTip(maximized ? L"还原" : L"最大化");
    MaximizeButton.Invalidate(FALSE);
}

LRESULT CDlgEx::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (OnEraseBkgnd(reinterpret_cast<HDC>(w)))
            return TRUE;
        break;
    case WM_NCHITTEST:
        return OnNcHitTest(msg, w, l);
    case WM_COMMAND:
        if (CommandCode(w) == BN_CLICKED) {
            switch (CommandId(w)) {
            case CloseButtonId:
                OnCloseButton();
                return 0;
            case MaximizeButtonId:
                OnMaximizeButton();
                return 0;
            case MinimizeButtonId:
                OnMinimizeButton();
                return 0;
            default:
                break;
            }
        }
        break;
    case WM_NCLBUTTONDOWN:
        return OnNcLButtonDown(msg, w, l);
    case WM_NCLBUTTONDBLCLK:
        if (w == HTCAPTION && Resizable) {
            OnMaximizeButton();
            return 0;
        }
        break;
    case WM_LBUTTONDBLCLK: {
        const POINT p = PointFromLParam(l);
        if (Maximized && ((p.y >= 0 && p.y < TitleHeight) || TitleHeight == -1))
            OnMaximizeButton();
        break;
    }
    case WM_SIZE: {
        const LRESULT result = CDialog::WindowProc(msg, w, l);
        OnSize(LOWORD(l));
        return result;
    }
    default:
        break;
    }
    return CDialog::WindowProc(msg, w, l);
}

} // namespace zarn
