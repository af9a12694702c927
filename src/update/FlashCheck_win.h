// Whether the installed Flash Player is newer than the minimum the game needs.
#pragma once

namespace zarn {

bool IsFlashPlayerCurrent();

} // namespace zarn
