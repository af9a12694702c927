// The game hall's "app://entergame|<code>[|<address>]" command: which other game to start, where its
// launcher lies, and which page to open when the user does not want the launcher. Portable.
#pragma once

#include <string>
#include <string_view>

namespace zarn {

inline constexpr std::wstring_view EnterGamePrefix = L"app://entergame|";

struct EnterGameCommand {
    // The URL is an entergame command: the navigation is the program's, never the browser's.
    bool IsCommand = false;
    // The game code is usable (a plain word); nothing is done for a command without one.
    bool Valid = false;
    std::wstring GameCode;   // "/" removed, first letter upper-cased
    std::wstring WebAddress; // http or https; the portal's root unless the command names one
};

// Reads an entergame command. The code is the text after the prefix, up to a "|" that starts the
// address; a lower-case first letter is upper-cased (the pages send "zarn" for "Zarn"). An address
// that is not an http or https URL falls back to portalRoot.
EnterGameCommand ParseEnterGame(std::wstring_view url, std::wstring_view portalRoot);

// commonAppData + "\Mirel\DaruRavoz\" + code + ".exe"; empty when that is longer than 259 characters.
std::wstring GameLauncherPath(std::wstring_view commonAppData, std::wstring_view gameCode);

} // namespace zarn
