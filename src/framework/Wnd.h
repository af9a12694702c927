// CWnd: a C++ object bound to one window. Messages reach the object's virtual WindowProc, which a
// subclass overrides and chains to its base for what it does not handle (our stand-in for message maps).
#pragma once

#include <windows.h>

#include <string>

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

class CWnd {
  public:
    CWnd() = default;
    // A window still bound to the object is destroyed with it.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    bool IsCreated() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }

    // The object bound to a window of this process, or null.
    static CWnd* FromHandle(HWND wnd);

    // Binds an existing window (a control of a dialog, say) to this object.
    BOOL SubclassWindow(HWND wnd);
    BOOL SubclassDlgItem(UINT id, HWND parent);
    // Releases the window without destroying it.
    HWND UnsubclassWindow();

    // Creates a window of a registered class (a system control, typically) and binds it.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                  HWND parent, UINT id);
    BOOL DestroyWindow();

    // A look at a queued message before it is dispatched; TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers a queued message to the objects of its window and of each parent, innermost first (as far
    // as the top-level window); TRUE when one of them took it.
    static BOOL WalkPreTranslateTree(MSG* msg);

    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendMessageW(hwnd_, msg, w, l);
    }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageW(hwnd_, msg, w, l); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    // The window rectangle in the parent's client coordinates.
    RECT GetRectInParent() const;
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(hwnd_, nullptr, erase); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }
    void ModifyStyle(DWORD remove, DWORD add);
    void ModifyStyleEx(DWORD remove, DWORD add);
    HWND GetParent() const { return ::GetParent(hwnd_); }
    // Resizes without moving or changing the z-order.
    void SetSize(int width, int height);

  protected:
    // The one message handler. Overrides handle what they want and pass the rest to their base.
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    // The window's own processing (the class's window procedure) of a message.
    LRESULT Default(UINT msg, WPARAM w, LPARAM l);
    // Called when a window is bound, before the object sees its messages.
    virtual void PreSubclassWindow() {}
    // A notification the parent received about this window (WM_DRAWITEM); TRUE when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
    // The window is gone (WM_NCDESTROY); the object is unbound already.
    virtual void PostNcDestroy() {}

    // Binds without calling PreSubclassWindow (dialogs bind themselves while initialising).
    BOOL Attach(HWND wnd);

  private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data);
    void Detach();

    HWND hwnd_ = nullptr;
};

} // namespace zarn
