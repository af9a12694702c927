// CForeignWnd: asynchronous and time-bounded calls on a window of another process.
#include "framework/ForeignWnd.h"

#include "framework/Wnd.h"

namespace zarn {

bool CForeignWnd::IsWindow() const {
    if (!Wnd_ || Wnd_ == HWND_BROADCAST || Wnd_ == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) ||
        !::IsWindow(Wnd_))
        return false;
    return ::GetWindowThreadProcessId(Wnd_, nullptr) != 0 && !IsWindowOfThisProcess(Wnd_);
}

BOOL CForeignWnd::ShowWindow(int command) const {
    return IsWindow() && ::ShowWindowAsync(Wnd_, command);
}

BOOL CForeignWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const {
    return IsWindow() && ::SetWindowPos(Wnd_, insertAfter, x, y, cx, cy, flags | SWP_ASYNCWINDOWPOS);
}

BOOL CForeignWnd::MoveWindow(const RECT& rect) const {
    return SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CForeignWnd::PostMessage(UINT msg, WPARAM w, LPARAM l) const {
    return IsWindow() && ::PostMessageW(Wnd_, msg, w, l);
}

bool CForeignWnd::SendMessage(UINT msg, WPARAM w, LPARAM l, LRESULT* result, UINT timeoutMs) const {
    DWORD_PTR answer = 0;
    const bool answered = IsWindow() && ::SendMessageTimeoutW(Wnd_, msg, w, l, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                                              timeoutMs, &answer) != 0;
    if (result)
        *result = answered ? static_cast<LRESULT>(answer) : 0;
    return answered;
}

bool CForeignWnd::Answers(UINT timeoutMs) const {
    return SendMessage(WM_NULL, 0, 0, nullptr, timeoutMs);
}

bool CForeignWnd::EnableWindow(bool enable, UINT timeoutMs) const {
    if (!Answers(timeoutMs))
        return false;
    ::EnableWindow(Wnd_, enable ? TRUE : FALSE);
    return true;
}

BOOL CForeignWnd::SetParent(HWND parent, UINT timeoutMs) const {
    if (!Answers(timeoutMs))
        return FALSE;
    ::SetLastError(ERROR_SUCCESS);
    return ::SetParent(Wnd_, parent) != nullptr || ::GetLastError() == ERROR_SUCCESS;
}

RECT CForeignWnd::GetWindowRect() const {
    RECT r{};
    if (IsWindow())
        ::GetWindowRect(Wnd_, &r);
    return r;
}

} // namespace zarn
