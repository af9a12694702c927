// Game window (placeholder: none is created).
#include "gamewnd/GameWindow_win.h"

namespace zarn {

BOOL CreateGameWindow(CPlexo3App&) {
    return FALSE;
}

} // namespace zarn
