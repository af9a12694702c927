// Transparent controls: asks a control's parent to paint its background into the control's picture.
#pragma once

#include <windows.h>

namespace zarn {

// Shifts dc's window origin by the control's offset inside its parent, sends WM_ERASEBKGND with dc to
// the parent and restores the origin, so the part of the parent under the control lands in dc.
void PaintParentBackground(HWND control, HDC dc);

} // namespace zarn
