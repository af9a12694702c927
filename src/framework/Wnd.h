// CWnd: a C++ object bound to one window of this process. Messages reach the object's virtual WindowProc,
// which a subclass overrides and chains to its base for what it does not handle (our stand-in for message
// maps).
#pragma once

#include <windows.h>

#include <string>
#include <typeinfo>

namespace zarn {

// Typed views of a message's parameters.
inline POINT PointFromLParam(LPARAM l) {
    return POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
}
inline UINT CommandId(WPARAM w) {
    return LOWORD(w);
}
inline UINT CommandCode(WPARAM w) {
    return HIWORD(w);
}

// Destruction: every class derived from CWnd destroys its window in its own destructor (a call of
// DestroyWindow(), which does nothing once the window is gone), so that WM_DESTROY reaches the whole
// object. A window found still bound by the destructor of a base class is destroyed there all the same,
// and counted in LateDestroyCount() (the tests require it to stay 0).
// True for a window that some thread of this process made; false for other processes' and for
// values that name no window.
bool IsWindowOfThisProcess(HWND wnd);
// The process that made the window; 0 for no window.
DWORD ProcessOfWindow(HWND wnd);

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return Wnd_; }
    operator HWND() const { return Wnd_; }
    bool IsCreated() const { return Wnd_ != nullptr && ::IsWindow(Wnd_); }

    // The object bound to a window of this process; null for any other window, a window of another
    // process in particular (its objects live in another address space).
    static CWnd* FromHandle(HWND wnd);
    // Windows destroyed by a base-class destructor because a derived class did not destroy its own.
    static unsigned LateDestroyCount();

    // Binds an existing window of this thread (a control of a dialog, say) to this object.
    BOOL SubclassWindow(HWND wnd);
    BOOL SubclassDlgItem(UINT id, HWND parent);
    // Releases the window without destroying it.
    HWND UnsubclassWindow();

    // Creates a window of this object's own class (registered on first use, see PreRegisterClass) and
    // binds it at its first message, so the object sees WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE and
    // WM_CREATE. `id` is the control id of a child window.
    BOOL Create(DWORD exStyle, const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id = 0);
    // Creates a window of an existing class (a system control, typically) and binds it afterwards (the
    // creation messages go to the class alone).
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                  HWND parent, UINT id);
    BOOL DestroyWindow();

    // A look at a queued message before it is dispatched; TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers a queued message to the objects of its window and of each parent, innermost first (as far
    // as the top-level window, and never beyond a window of another process); TRUE when one of them
    // took it.
    static BOOL WalkPreTranslateTree(MSG* msg);

    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendMessageW(Wnd_, msg, w, l);
    }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageW(Wnd_, msg, w, l); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    // The window rectangle in the parent's client coordinates.
    RECT GetRectInParent() const;
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(Wnd_, text.c_str()); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(Wnd_, nullptr, erase); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(Wnd_, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(Wnd_, GWL_EXSTYLE)); }
    void ModifyStyle(DWORD remove, DWORD add);
    void ModifyStyleEx(DWORD remove, DWORD add);
    HWND GetParent() const { return ::GetParent(Wnd_); }
    // Resizes without moving or changing the z-order.
    void SetSize(int width, int height);

  protected:
    // The one message handler. Overrides handle what they want and pass the rest to their base.
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    // The window's own processing (the class's window procedure) of a message.
    LRESULT Default(UINT msg, WPARAM w, LPARAM l);
    // Called when an existing window is bound (SubclassWindow, CreateEx), before the object sees its
    // messages.
    virtual void PreSubclassWindow() {}
    // Create's hooks. The class settings before the class is registered (first use of its name in the
    // process): a class of its own sets lpszClassName and may set the style, cursor, brush and icons; the
    // window procedure is the framework's. Then the creation parameters of each window; FALSE cancels.
    virtual void PreRegisterClass(WNDCLASSEXW&) {}
    virtual BOOL PreCreateWindow(CREATESTRUCTW&) { return TRUE; }
    // A notification the parent received about this window, offered here before the parent's object
    // sees it: WM_DRAWITEM, WM_NOTIFY, WM_COMMAND from a control and WM_CTLCOLOR*. TRUE when handled;
    // *result is then the parent's answer.
    virtual BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
    // The window is gone (WM_NCDESTROY); the object is unbound already.
    virtual void PostNcDestroy() {}

    // Binds without calling PreSubclassWindow (dialogs bind themselves while initialising).
    BOOL Attach(HWND wnd);

  private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK ClassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
    static BOOL ReflectToChild(HWND parent, UINT msg, WPARAM w, LPARAM l, LRESULT* result);
    void Detach();

    HWND Wnd_ = nullptr;
    // The most-derived type when the window was bound: a destructor of another type that still finds
    // the window bound runs after the derived part is gone.
    const std::type_info* BoundType_ = nullptr;
};

} // namespace zarn
