// Comparison of the installed Flash Player version text with the minimum the game needs. Portable.
#pragma once

#include <string_view>

namespace zarn {

// The newest version that is still too old: an installed player must be strictly newer.
inline constexpr std::wstring_view MinimumFlashVersion = L"10,3,102,64";

// True when installed is strictly newer than reference. Both are comma-separated decimal fields,
// compared in at most four passes; a missing or non-numeric field reads as 0, and once a text has no
// comma left its last field is taken again in every further pass ("10,3" compares as 10,3,3,3).
bool IsFlashVersionNewer(std::wstring_view installed, std::wstring_view reference = MinimumFlashVersion);

} // namespace zarn
