// The favourite's Internet Shortcut: its seven-line text and the rules for the name that becomes its
// file name in the Favorites folder. Portable; the ANSI conversion and the writing are the dialog's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/PathLimit.h"

namespace zarn {

// The name box holds at most this many characters; a longer proposed name is shortened to it.
inline constexpr size_t MaxFavoriteNameLength = 127;
// The longest address stored (INTERNET_MAX_URL_LENGTH); a longer one is refused, never cut.
inline constexpr size_t MaxFavoriteAddressLength = 2083;
// The longest full path of the file.
inline constexpr size_t MaxFavoritePathLength = MaxPathLength;

// The file's text with the address on its "BASEURL=" and "URL=" lines, each line ended by "\r\n".
// Refused (nullopt): an address longer than MaxFavoriteAddressLength, or one holding a control
// character (a line break in it would add lines of its own to the file).
std::optional<std::wstring> FavoriteFileText(std::wstring_view address);

// Whether a name can become "<name>.url" inside the Favorites folder and nowhere else: at most
// MaxFavoriteNameLength characters, none of them a control character or one of \ / : * ? " < > |, no
// "..", and no reserved device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9, also
// followed by an extension or blanks, in any letter case). The empty name is allowed (".url").
bool IsAllowedFavoriteName(std::wstring_view name);

// folder + "\" + name + ".url" (no second backslash when the folder ends with one). Refused (nullopt):
// an empty folder, a name IsAllowedFavoriteName refuses, or a path longer than MaxFavoritePathLength.
std::optional<std::wstring> FavoritePath(std::wstring_view folder, std::wstring_view name);

// The proposed name as the name box shows it: its first MaxFavoriteNameLength characters, one fewer
// when the cut would split a surrogate pair.
std::wstring ShortenFavoriteName(std::wstring_view proposed);

} // namespace zarn
