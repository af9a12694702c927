// Conversions between the portable skin geometry's rectangles and Win32 RECTs.
#pragma once

#include <windows.h>

#include "skin/SkinGeometry.h"

namespace zarn {

inline RECT ToRect(const skin::Edges& e) {
    return RECT{e.Left, e.Top, e.Right, e.Bottom};
}

inline skin::Edges ToEdges(const RECT& r) {
    return skin::Edges{r.left, r.top, r.right, r.bottom};
}

} // namespace zarn
