// CWnd: binding of objects to windows through comctl32 subclassing and a window property.
#include "framework/Wnd.h"

#include <commctrl.h>

namespace zarn {
namespace {
const wchar_t ObjectProperty[] = L"ZarnWindowObject";
const UINT_PTR SubclassId = 0x5A41524E; // any fixed number; one subclass per window
} // namespace

CWnd::~CWnd() {
    if (!hwnd_)
        return;
    HWND wnd = hwnd_;
    Detach();
    ::DestroyWindow(wnd);
}

CWnd* CWnd::FromHandle(HWND wnd) {
    return wnd ? static_cast<CWnd*>(::GetPropW(wnd, ObjectProperty)) : nullptr;
}

BOOL CWnd::Attach(HWND wnd) {
    if (!wnd || hwnd_ || FromHandle(wnd))
        return FALSE;
    if (!::SetWindowSubclass(wnd, SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    ::SetPropW(wnd, ObjectProperty, this);
    hwnd_ = wnd;
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND wnd) {
    if (!Attach(wnd))
        return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

void CWnd::Detach() {
    if (!hwnd_)
        return;
    ::RemoveWindowSubclass(hwnd_, SubclassProc, SubclassId);
    ::RemovePropW(hwnd_, ObjectProperty);
    hwnd_ = nullptr;
}

HWND CWnd::UnsubclassWindow() {
    HWND wnd = hwnd_;
    Detach();
    return wnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    if (hwnd_)
        return FALSE;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND wnd = ::CreateWindowExW(exStyle, className, text ? text : L"", style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!wnd)
        return FALSE;
    if (!SubclassWindow(wnd)) {
        ::DestroyWindow(wnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!hwnd_)
        return FALSE;
    return ::DestroyWindow(hwnd_); // WM_NCDESTROY unbinds
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND wnd = msg->hwnd; wnd; wnd = ::GetParent(wnd)) {
        if (CWnd* object = FromHandle(wnd)) {
            if (object->PreTranslateMessage(msg))
                return TRUE;
        }
        if (!(::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
            break; // top-level reached: owners are not walked
    }
    return FALSE;
}

RECT CWnd::GetWindowRect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r;
}

RECT CWnd::GetClientRect() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r;
}

RECT CWnd::GetRectInParent() const {
    RECT r = GetWindowRect();
    ::MapWindowPoints(HWND_DESKTOP, GetParent(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>((GetStyle() & ~remove) | add));
}

void CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>((GetExStyle() & ~remove) | add));
}

void CWnd::SetSize(int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_DRAWITEM && l) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        LRESULT result = TRUE;
        if (CWnd* child = FromHandle(item->hwndItem); child && child->OnChildNotify(msg, w, l, &result))
            return result;
    }
    return Default(msg, w, l);
}

LRESULT CWnd::Default(UINT msg, WPARAM w, LPARAM l) {
    return ::DefSubclassProc(hwnd_, msg, w, l);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CWnd*>(data);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = ::DefSubclassProc(wnd, msg, w, l);
        if (self->hwnd_ == wnd) {
            self->Detach();
            self->PostNcDestroy();
        }
        return result;
    }
    return self->WindowProc(msg, w, l);
}

} // namespace zarn
