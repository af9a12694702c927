// CForeignWnd: a window of another process (a game frame), handled without binding an object to it and
// without any call that waits for its thread, so a hung process cannot hang ours.
#pragma once

#include <windows.h>

namespace zarn {

class CForeignWnd {
  public:
    // How long Send waits for an answer unless told otherwise.
    static constexpr UINT DefaultTimeoutMs = 1000;

    CForeignWnd() = default;
    explicit CForeignWnd(HWND wnd) : Wnd_(wnd) {}

    HWND GetSafeHwnd() const { return Wnd_; }
    // A window that exists and is not one of this process (the broadcast values are no window).
    bool IsWindow() const;

    // Queued for the window's thread; TRUE when queued.
    BOOL ShowWindow(int command) const;
    // SetWindowPos with SWP_ASYNCWINDOWPOS added.
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const;
    BOOL MoveWindow(const RECT& rect) const;
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    // Sends and waits at most timeoutMs, or not at all when the window's thread is known to hang;
    // false when no answer came (*result is then 0).
    bool SendMessage(UINT msg, WPARAM w, LPARAM l, LRESULT* result, UINT timeoutMs = DefaultTimeoutMs) const;
    // Whether the window's thread answers (a WM_NULL) within timeoutMs.
    bool Answers(UINT timeoutMs = DefaultTimeoutMs) const;
    // Enables or disables the window. EnableWindow waits for the window's thread (WM_ENABLE), so it is
    // only called once the thread has answered a probe; false when it did not.
    bool EnableWindow(bool enable, UINT timeoutMs = DefaultTimeoutMs) const;
    // Re-parents the window (null: to the desktop). SetParent waits for the window's thread, so it is
    // only called once the thread has answered a probe; FALSE when it did not.
    BOOL SetParent(HWND parent, UINT timeoutMs = DefaultTimeoutMs) const;
    // The window rectangle in screen coordinates (read without asking the window's thread).
    RECT GetWindowRect() const;

  private:
    HWND Wnd_ = nullptr;
};

} // namespace zarn
