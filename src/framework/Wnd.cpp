// CWnd: binding of objects to windows of this process through comctl32 subclassing and a window
// property, the window class
// of our own windows, and the offering of parent notifications to the child's object.
#include "framework/Wnd.h"

#include <commctrl.h>

#include <atomic>

namespace zarn {
namespace {
const UINT_PTR SubclassId = 0x5A41524E; // any fixed number; one subclass per window
// The object's address, for FromHandle (the import library has no GetWindowSubclass). Any process can
// read a property, so it is read only for windows of this process.
const wchar_t ObjectProperty[] = L"ZarnWindowObject";
const wchar_t DefaultClassName[] = L"ZarnWnd";

// The object whose window Create is making on this thread, until the window's first message binds it.
thread_local CWnd* Creating = nullptr;
std::atomic<unsigned> LateDestroys{0};

bool IsOfThisThread(HWND wnd) {
    return ::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId();
}

// Registers the class unless this process has it already; false when the name belongs to a class
// with another window procedure.
bool RegisterOnce(const WNDCLASSEXW& wc) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing))
        return existing.lpfnWndProc == wc.lpfnWndProc;
    return ::RegisterClassExW(&wc) != 0;
}

// The control a notification of its parent is about; null for other messages.
HWND NotifyingChild(UINT msg, LPARAM l) {
    switch (msg) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_NOTIFY:
        return l ? reinterpret_cast<const NMHDR*>(l)->hwndFrom : nullptr;
    case WM_COMMAND: // from a control: lParam is its window (menus and accelerators send 0)
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(l);
    default:
        return nullptr;
    }
}

} // namespace

bool IsWindowOfThisProcess(HWND wnd) {
    const DWORD pid = ProcessOfWindow(wnd);
    return pid != 0 && pid == ::GetCurrentProcessId();
}

DWORD ProcessOfWindow(HWND wnd) {
    DWORD pid = 0;
    return ::GetWindowThreadProcessId(wnd, &pid) != 0 ? pid : 0;
}

CWnd::~CWnd() {
    DestroyWindow(); // counted as late unless the object was a plain CWnd
    if (Wnd_)
        Detach(); // a window DestroyWindow could not destroy (of another thread) must not keep calling us
}

CWnd* CWnd::FromHandle(HWND wnd) {
    // Checked first: the property of another process's window holds an address of that process.
    if (!wnd || !IsWindowOfThisProcess(wnd))
        return nullptr;
    return static_cast<CWnd*>(::GetPropW(wnd, ObjectProperty));
}

unsigned CWnd::LateDestroyCount() {
    return LateDestroys.load();
}

BOOL CWnd::Attach(HWND wnd) {
    // Subclassing works on windows of the calling thread only.
    if (!wnd || Wnd_ || !IsOfThisThread(wnd) || FromHandle(wnd))
        return FALSE;
    if (!::SetWindowSubclass(wnd, SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    if (!::SetPropW(wnd, ObjectProperty, this)) {
        ::RemoveWindowSubclass(wnd, SubclassProc, SubclassId);
        return FALSE;
    }
    Wnd_ = wnd;
    BoundType_ = &typeid(*this);
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
    if (!Wnd_)
        return;
    ::RemoveWindowSubclass(Wnd_, SubclassProc, SubclassId);
    ::RemovePropW(Wnd_, ObjectProperty);
    Wnd_ = nullptr;
    BoundType_ = nullptr;
}

HWND CWnd::UnsubclassWindow() {
    HWND wnd = Wnd_;
    Detach();
    return wnd;
}

BOOL CWnd::Create(DWORD exStyle, const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (Wnd_)
        return FALSE;
    WNDCLASSEXW wc{};
    wc.style = CS_DBLCLKS;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = DefaultClassName;
    PreRegisterClass(wc);
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ClassProc;
    if (!wc.lpszClassName || !RegisterOnce(wc))
        return FALSE;

    CREATESTRUCTW cs{};
    cs.lpCreateParams = this;
    cs.hInstance = wc.hInstance;
    cs.hMenu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    cs.hwndParent = parent;
    cs.cy = rect.bottom - rect.top;
    cs.cx = rect.right - rect.left;
    cs.y = rect.top;
    cs.x = rect.left;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = text ? text : L"";
    cs.lpszClass = wc.lpszClassName;
    cs.dwExStyle = exStyle;
    if (!PreCreateWindow(cs))
        return FALSE;

    Creating = this;
    HWND wnd =
        ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                          cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    Creating = nullptr;
    if (!wnd)
        return FALSE; // a refused WM_NCCREATE or WM_CREATE: the window is gone and unbound
    if (Wnd_ != wnd) {
        ::DestroyWindow(wnd); // PreCreateWindow chose a class that is not ours
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    if (Wnd_)
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
    if (!Wnd_)
        return FALSE;
    // In a destructor typeid names the class being destroyed: another type than the bound one means
    // the more derived classes are gone already and did not destroy their window.
    if (BoundType_ && typeid(*this) != *BoundType_)
        ++LateDestroys;
    return ::DestroyWindow(Wnd_); // WM_NCDESTROY unbinds
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND wnd = msg->hwnd; wnd && IsWindowOfThisProcess(wnd); wnd = ::GetParent(wnd)) {
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
    ::GetWindowRect(Wnd_, &r);
    return r;
}

RECT CWnd::GetClientRect() const {
    RECT r{};
    ::GetClientRect(Wnd_, &r);
    return r;
}

RECT CWnd::GetRectInParent() const {
    RECT r = GetWindowRect();
    ::MapWindowPoints(HWND_DESKTOP, GetParent(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(Wnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(Wnd_, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    ::SetWindowLongPtrW(Wnd_, GWL_STYLE, static_cast<LONG_PTR>((GetStyle() & ~remove) | add));
}

void CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
    ::SetWindowLongPtrW(Wnd_, GWL_EXSTYLE, static_cast<LONG_PTR>((GetExStyle() & ~remove) | add));
}

void CWnd::SetSize(int width, int height) {
    ::SetWindowPos(Wnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

BOOL CWnd::ReflectToChild(HWND parent, UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
    HWND child = NotifyingChild(msg, l);
    if (!child || child == parent)
        return FALSE; // WM_CTLCOLORDLG names the dialog itself
    CWnd* object = FromHandle(child);
    if (!object)
        return FALSE;
    *result = msg == WM_DRAWITEM ? TRUE : 0;
    return object->OnChildNotify(msg, w, l, result);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    return Default(msg, w, l);
}

LRESULT CWnd::Default(UINT msg, WPARAM w, LPARAM l) {
    return ::DefSubclassProc(Wnd_, msg, w, l);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CWnd*>(data);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = ::DefSubclassProc(wnd, msg, w, l);
        if (self->Wnd_ == wnd) {
            self->Detach();
            self->PostNcDestroy();
        }
        return result;
    }
    LRESULT result = 0;
    if (ReflectToChild(wnd, msg, w, l, &result))
        return result;
    return self->WindowProc(msg, w, l);
}

LRESULT CALLBACK CWnd::ClassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    // A bound window reaches its class procedure through Default: the object has seen the message.
    if (FromHandle(wnd))
        return ::DefWindowProcW(wnd, msg, w, l);
    // The first message of the window Create is making binds it (WM_GETMINMAXINFO comes before
    // WM_NCCREATE for overlapped windows, so lpCreateParams would come too late for it).
    CWnd* self = Creating;
    if (!self || !self->Attach(wnd))
        return ::DefWindowProcW(wnd, msg, w, l);
    Creating = nullptr;
    // This message, too, goes through the subclass just installed.
    const auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC));
    return ::CallWindowProcW(proc, wnd, msg, w, l);
}

} // namespace zarn
