// CStaticEx: self-wrapping transparent static text.
#include "skin/StaticEx_win.h"

#include "framework/Gdi.h"
#include "skin/BtnEx_win.h"
#include "skin/ParentBackground_win.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage_win.h"

namespace zarn {
namespace {
// Measures the average character width: the sample is measured with a count of 11 (its ten CJK
// characters and the terminating NUL) and its extent divided by 11, not 10.
const wchar_t WidthSample[] = L"测试用汉字来获取宽度";
} // namespace

void CStaticEx::PreSubclassWindow() {
    Text = GetWindowText();
}

BOOL CStaticEx::SetImage(HBITMAP image) {
    const SIZE size = BitmapSize(image);
    if (size.cx <= 0 || size.cy <= 0)
        return FALSE;
    ImageWidth = size.cx;
    ImageHeight = size.cy;
    if (Images.Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 0))
        Images.AddMasked(image, SkinKeyColor);
    return TRUE;
}

UINT CStaticEx::TextFormat() const {
    const DWORD style = GetStyle();
    UINT format = DT_WORDBREAK;
    const DWORD type = style & SS_TYPEMASK;
    if (type == SS_CENTER)
        format |= DT_CENTER | DT_VCENTER;
    else if (type == SS_RIGHT)
        format |= DT_RIGHT;
    if ((style & SS_ELLIPSISMASK) == SS_ENDELLIPSIS)
        format |= DT_END_ELLIPSIS;
    if ((style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS)
        format |= DT_PATH_ELLIPSIS | DT_SINGLELINE;
    if (style & SS_CENTERIMAGE)
        format |= DT_SINGLELINE | DT_VCENTER;
    return format;
}

void CStaticEx::DrawLabel(HDC dc) {
    RECT area = GetClientRect();
    if (ImageWidth != 0)
        area.left += ImageWidth + 6;
    const UINT format = TextFormat();
    if (!Font)
        Font = MakeFont(GetFont(), SYSTEM_FONT, FontHeight ? FontHeight : -12, 0, Underline, L"微软雅黑");
    SelectGuard selectFont(dc, Font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, TextColor);

    RECT sample{0, 0, 0, 0};
    ::DrawTextW(dc, WidthSample, 11, &sample, DT_CALCRECT);
    const int charWidth = (sample.right - sample.left) / 11;
    const int lineHeight = sample.bottom - sample.top;
    const int areaWidth = area.right - area.left;
    if (areaWidth < charWidth || lineHeight <= 0)
        return;

    // Lines are measured on one line: word breaking would measure a zero-wide rectangle word by word.
    const UINT measureFormat =
        (format & ~(DT_WORDBREAK | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) | DT_SINGLELINE;
    const auto measure = [dc, measureFormat](const std::wstring& line) {
        RECT r{0, 0, 0, 0};
        ::DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r, measureFormat | DT_CALCRECT);
        return static_cast<int>(r.right - r.left);
    };
    const std::vector<std::wstring> lines = skin::WrapText(Text, areaWidth, measure);
    RECT line{area.left, area.top, area.right, area.top + lineHeight};
    for (const std::wstring& piece : lines) {
        RECT r = line;
        ::DrawTextW(dc, piece.c_str(), static_cast<int>(piece.size()), &r, format);
        ::OffsetRect(&line, 0, lineHeight + LineSpacing);
    }

    // Grow (never shrink) to hold every line.
    const int needed = skin::WrappedHeight(static_cast<int>(lines.size()), lineHeight, LineSpacing);
    RECT placed = GetRectInParent();
    if (placed.bottom - placed.top < needed) {
        ::MoveWindow(GetSafeHwnd(), placed.left, placed.top, placed.right - placed.left, needed, TRUE);
    }
}

void CStaticEx::Paint() {
    PaintDC paint(GetSafeHwnd());
    const RECT window = GetWindowRect();
    MemoryCanvas canvas(paint.get(), window.right - window.left, window.bottom - window.top);
    if (!canvas.ok())
        return;
    {
        SavedDCState saved(canvas.dc());
        PaintParentBackground(GetSafeHwnd(), canvas.dc());
    }
    if (ImageWidth != 0)
        Images.Draw(canvas.dc(), 0, 3, (canvas.height() - ImageHeight) / 2, ILD_TRANSPARENT);
    DrawLabel(canvas.dc());
    canvas.CopyTo(paint.get());
}

LRESULT CStaticEx::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (HandleHoverMessage(GetSafeHwnd(), msg, Hovered, MouseTracking))
        return 0;
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SETCURSOR:
        if (LinkCursor)
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    default:
        break;
    }
    return CStatic::WindowProc(msg, w, l);
}

} // namespace zarn
