// The game window of a game-window process: frame, document and view.
#pragma once

#include <windows.h>

#include <string>

namespace zarn {

class CPlexo3App;

// The page the game view opens: the game hall at first, the game's URL after a successful login.
extern std::wstring GameUrl;

// Creates the hidden game frame; TRUE when the message loop is to run.
BOOL CreateGameWindow(CPlexo3App& app);

} // namespace zarn
