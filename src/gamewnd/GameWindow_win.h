// The game window of a game-window process: the values the frame, view and login share, and the
// creation of document, frame and view.
#pragma once

#include <windows.h>

#include <string>

#include "gamewnd/FrameKeys.h"

namespace zarn {

class CPlexo3App;
class CGmWndView;

// The page the game view opens: the game hall at first, the game's URL after a successful login.
extern std::wstring GameUrl;
// The view, once its first update ran.
extern CGmWndView* TheGameView;
// The three hot keys as this process last read them.
extern FrameHotKeys GameHotKeys;

// Whether GameUrl is the game hall's page (exactly, case included).
bool IsGameHall();

// Creates the game's document, frame and view (the frame hidden, titled "MirelCorvale"); TRUE when
// the message loop is to run.
BOOL CreateGameWindow(CPlexo3App& app);

} // namespace zarn
