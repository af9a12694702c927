// Wrappers of system controls, the image list and the tooltip control.
#include "framework/Controls.h"

#include "framework/Handle.h"

namespace zarn {

BOOL CButton::Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, WC_BUTTONW, text, style | WS_CHILD, rect, parent, id);
}

BOOL CButton::OnChildNotify(UINT msg, WPARAM, LPARAM l, LRESULT* result) {
    if (msg != WM_DRAWITEM)
        return FALSE;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    *result = TRUE;
    return TRUE;
}

BOOL CStatic::Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, WC_STATICW, text, style | WS_CHILD, rect, parent, id);
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, PROGRESS_CLASSW, nullptr, style | WS_CHILD, rect, parent, id);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    PBRANGE range{};
    SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    list_ = ImageList_Create(cx, cy, flags, initial, grow);
    return list_ != nullptr;
}

int CImageList::AddMasked(HBITMAP bitmap, COLORREF mask) {
    if (!list_ || !bitmap)
        return -1;
    UniqueBitmap copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
    if (!copy)
        return -1;
    return ImageList_AddMasked(list_, copy.get(), mask);
}

BOOL CImageList::Draw(HDC dc, int index, int x, int y, UINT style) const {
    return list_ && ImageList_Draw(list_, index, dc, x, y, style);
}

bool CImageList::GetImageSize(int index, SIZE& size) const {
    IMAGEINFO info{};
    if (!list_ || index < 0 || index >= GetImageCount() || !ImageList_GetImageInfo(list_, index, &info))
        return false;
    size.cx = info.rcImage.right - info.rcImage.left;
    size.cy = info.rcImage.bottom - info.rcImage.top;
    return true;
}

void CImageList::DeleteImageList() {
    if (list_)
        ImageList_Destroy(list_);
    list_ = nullptr;
}

BOOL CToolTipCtrl::Create(HWND parent, DWORD style) {
    const RECT none{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    if (!CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | style, none, parent, 0))
        return FALSE;
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

namespace {
TOOLINFOW ToolInfo(HWND wnd, UINT_PTR id) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = wnd;
    info.uId = id;
    return info;
}
} // namespace

BOOL CToolTipCtrl::AddCallbackTool(HWND wnd, UINT_PTR id) {
    TOOLINFOW info = ToolInfo(wnd, id);
    // No TTF_SUBCLASS: the owner relays mouse messages from its PreTranslateMessage.
    info.lpszText = LPSTR_TEXTCALLBACKW;
    ::GetClientRect(wnd, &info.rect);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, HWND wnd, UINT_PTR id) {
    TOOLINFOW info = ToolInfo(wnd, id);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

BOOL CToolTipCtrl::AddWindowTool(HWND wnd) {
    TOOLINFOW info = ToolInfo(wnd, reinterpret_cast<UINT_PTR>(wnd));
    info.uFlags = TTF_IDISHWND;
    info.lpszText = LPSTR_TEXTCALLBACKW;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateWindowToolText(const std::wstring& text, HWND wnd) {
    TOOLINFOW info = ToolInfo(wnd, reinterpret_cast<UINT_PTR>(wnd));
    info.uFlags = TTF_IDISHWND;
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace zarn
