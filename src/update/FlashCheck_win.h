// Whether the installed Flash Player is newer than the minimum the game needs.
#pragma once

namespace zarn {

// HKEY_LOCAL_MACHINE "SOFTWARE\Macromedia\FlashPlayer" "CurrentVersion" strictly newer than
// 10,3,102,64. A missing key or value, or one longer than 260 characters, is not current.
bool IsFlashPlayerCurrent();

} // namespace zarn
