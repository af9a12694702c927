// The code of one of the portal's games ("Zarn", "Zarn2"): it names files (the game's launcher, its
// configuration and installer), so only a plain word is ever accepted. Portable.
#pragma once

#include <string_view>

namespace zarn {

// True for a non-empty code of ASCII letters, digits, "_" and "-" only: nothing that could make a
// path climb, change drive or folder, or name a stream.
bool IsValidGameCode(std::wstring_view code);

} // namespace zarn
