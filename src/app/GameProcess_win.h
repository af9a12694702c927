// The process-wide values of a game-window process ("/newgm", "/gmhall"): the launcher that started it,
// its tab number, the page its view opens and what that page last showed. The login sets the page and
// the game window reads it, so both reach these here, neither through the other.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zarn {

// Set by GetRunMode from the command line: the launcher window that started the process and its tab
// number. Zero otherwise.
extern HWND LauncherWnd;
extern int32_t GameWindowOrdinal;

// LauncherWnd when it names an existing window other than the desktop; null for zero, for the
// special values (HWND_BROADCAST, HWND_TOPMOST, ...) a forged command line could give, and for a
// launcher window that is gone. Everything this process sends, posts or parents to the launcher
// goes through here, so a forged handle can never reach other windows.
HWND LauncherWindow();
// Posts the message to LauncherWindow(); false, with nothing posted, when there is none.
bool PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam);

// The page the game view opens: the game hall at first, the game's URL after a successful login.
extern std::wstring GameUrl;
// Whether GameUrl is the game hall's page (exactly, case included).
bool IsGameHall();

// The game view's latest navigated URL and document title (the favourites take them).
extern std::wstring CurrentUrl;
extern std::wstring CurrentTitle;

} // namespace zarn
