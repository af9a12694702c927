// The game window of a game-window process: the values its frame and view share, and the creation of
// document, frame and view.
#pragma once

#include <windows.h>

#include <memory>

#include "gamewnd/FrameKeys.h"

namespace zarn {

class CGmWndView;
class CSingleDocTemplate;

// The view, once its first update ran.
extern CGmWndView* TheGameView;
// The three hot keys as this process last read them.
extern FrameHotKeys GameHotKeys;

// Creates the game's document, frame and view (the frame hidden, titled "MirelCorvale"); the template
// that owns them, or null when the frame could not be made (then no message loop is to run).
std::unique_ptr<CSingleDocTemplate> CreateGameWindow();

} // namespace zarn
