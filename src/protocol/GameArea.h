// Where a game window sits in the launcher: the launcher places each tab's frame there, and a game
// process puts its own frame there again after every page. Portable.
#pragma once

#include "skin/SkinGeometry.h"

namespace zarn {

// The launcher's client area less 4 pixels left, right and bottom and the 30-pixel caption at the top
// (left, top, right, bottom).
skin::Edges GameArea(int clientWidth, int clientHeight);

} // namespace zarn
