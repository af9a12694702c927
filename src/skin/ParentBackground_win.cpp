// Parent background painting for the transparent skinned controls.
#include "skin/ParentBackground_win.h"

namespace zarn {

void PaintParentBackground(HWND control, HDC dc) {
    HWND parent = ::GetParent(control);
    if (!parent)
        return;
    RECT self{}, outer{};
    ::GetWindowRect(control, &self);
    ::GetWindowRect(parent, &outer);
    POINT old{};
    ::SetWindowOrgEx(dc, self.left - outer.left, self.top - outer.top, &old);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

} // namespace zarn
