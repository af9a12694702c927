// The game window of a game-window process: frame, document and view.
#pragma once

#include <windows.h>

namespace zarn {

class CPlexo3App;

// Creates the hidden game frame; TRUE when the message loop is to run.
BOOL CreateGameWindow(CPlexo3App& app);

} // namespace zarn
