// CBtnEx: image-strip push button.
#include "skin/BtnEx_win.h"

#include "framework/Gdi.h"
#include "skin/ParentBackground_win.h"
#include "skin/SkinImage_win.h"

namespace zarn {

BOOL TrackHoverAndLeave(HWND wnd) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = wnd;
    track.dwHoverTime = 10;
    return ::TrackMouseEvent(&track);
}

bool HandleHoverMessage(HWND wnd, UINT msg, BOOL& hovered, BOOL& tracking) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!tracking)
            tracking = TrackHoverAndLeave(wnd);
        return false;
    case WM_MOUSEHOVER:
        hovered = TRUE;
        ::InvalidateRect(wnd, nullptr, FALSE);
        return true;
    case WM_MOUSELEAVE:
        hovered = FALSE;
        tracking = FALSE;
        ::InvalidateRect(wnd, nullptr, FALSE);
        return true;
    default:
        return false;
    }
}

void CBtnEx::PreSubclassWindow() {
    Text = GetWindowText();
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    RefreshWindowRect();
}

void CBtnEx::PostNcDestroy() {
    // A re-created button starts idle, and gets its tooltip from SetToolTip again.
    ClearHover();
    PressedLatch = FALSE;
    HasToolTip = FALSE;
}

BOOL CBtnEx::SetImage(HBITMAP strip, BOOL resize) {
    Images.DeleteImageList();
    const SIZE size = BitmapSize(strip);
    const int frameWidth = size.cx / 4;
    if (frameWidth > 0 && size.cy > 0 && Images.Create(frameWidth, size.cy, ILC_COLOR24 | ILC_MASK, 4, 0))
        Images.AddMasked(strip, SkinKeyColor);
    if (resize && frameWidth > 0)
        SetSize(frameWidth, size.cy);
    RefreshWindowRect();
    return TRUE;
}

void CBtnEx::SetToolTip(const std::wstring& text) {
    ToolTipText = text;
    HasToolTip = TRUE;
}

void CBtnEx::CreateToolTip() {
    if (ToolTip.GetSafeHwnd() || !GetSafeHwnd())
        return;
    if (ToolTip.Create(GetSafeHwnd())) {
        ToolTip.AddCallbackTool(GetSafeHwnd(), 0);
        ToolTip.SetDelayTime(TTDT_AUTOMATIC, 660);
    }
}

BOOL CBtnEx::PreTranslateMessage(MSG* msg) {
    if (HasToolTip && msg->hwnd == GetSafeHwnd() && IsMouseMessage(msg->message))
        CreateToolTip();
    if (HasToolTip && ToolTip.GetSafeHwnd())
        ToolTip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}

int CBtnEx::FrameFor(UINT itemState) {
    if (itemState & (ODS_GRAYED | ODS_DISABLED))
        return FrameDisabled;
    if ((itemState & ODS_SELECTED) || PressedLatch) {
        PressedLatch = TRUE;
        return FramePressed;
    }
    return Hovered ? FrameHover : FrameNormal;
}

void CBtnEx::DrawItem(const DRAWITEMSTRUCT& item) {
    const int width = WindowRect.right - WindowRect.left;
    const int height = WindowRect.bottom - WindowRect.top;
    MemoryCanvas canvas(item.hDC, width, height);
    if (!canvas.ok())
        return;
    const int frame = FrameFor(item.itemState);
    PaintParentBackground(GetSafeHwnd(), canvas.dc());
    DrawFrame(canvas.dc(), frame, width, height);
    DrawLabel(canvas.dc(), frame);
    canvas.CopyTo(item.hDC);
}

void CBtnEx::DrawFrame(HDC dc, int frame, int width, int height) {
    SIZE size{};
    if (!Images.GetImageSize(frame, size))
        return;
    if (size.cx == width && size.cy == height) {
        Images.Draw(dc, frame, 0, 0, ILD_TRANSPARENT);
        return;
    }
    // Another size: the frame over the key colour, stretched with the key kept transparent.
    MemoryCanvas temp(dc, size.cx, size.cy);
    if (!temp.ok())
        return;
    UniqueBrush key(::CreateSolidBrush(SkinKeyColor));
    const RECT all{0, 0, size.cx, size.cy};
    ::FillRect(temp.dc(), &all, key.get());
    Images.Draw(temp.dc(), frame, 0, 0, ILD_TRANSPARENT);
    ::TransparentBlt(dc, 0, 0, width, height, temp.dc(), 0, 0, size.cx, size.cy, SkinKeyColor);
}

void CBtnEx::DrawLabel(HDC dc, int frame) {
    if (Text.empty())
        return;
    UniqueFont font = MakeFont(GetFont(), DEFAULT_GUI_FONT, -12, 0, FALSE, nullptr);
    SavedDCState saved(dc);
    SelectGuard selectFont(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, frame == FrameDisabled ? ::GetSysColor(COLOR_GRAYTEXT) : TextColor);
    RECT client = GetClientRect();
    ::DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CBtnEx::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (HandleHoverMessage(GetSafeHwnd(), msg, Hovered, MouseTracking)) {
        if (msg == WM_MOUSEHOVER && HasToolTip && ToolTip.GetSafeHwnd())
            ToolTip.UpdateTipText(ToolTipText, GetSafeHwnd(), 0);
        return 0;
    }
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_LBUTTONUP:
        PressedLatch = FALSE;
        break;
    case WM_NOTIFY: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(l);
        if (info->hdr.code == TTN_GETDISPINFOW && info->hdr.hwndFrom == ToolTip.GetSafeHwnd()) {
            info->lpszText = const_cast<wchar_t*>(ToolTipText.c_str());
            return 0;
        }
        break;
    }
    case WM_SIZE:
    case WM_MOVE:
        RefreshWindowRect();
        break;
    case WM_DESTROY:
        // The tooltip is a popup owned by our top-level window, not by us: it would outlive this
        // window and keep a tool for a handle that is gone.
        ToolTip.DestroyWindow();
        break;
    default:
        break;
    }
    return CButton::WindowProc(msg, w, l);
}

} // namespace zarn
