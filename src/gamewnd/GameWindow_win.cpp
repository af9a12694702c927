// Game window (placeholder: none is created).
#include "gamewnd/GameWindow_win.h"

#include "app/Urls.h"

namespace zarn {

std::wstring GameUrl = GameHallPageUrl();

BOOL CreateGameWindow(CPlexo3App&) {
    return FALSE;
}

} // namespace zarn
