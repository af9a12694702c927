// The process entry point and the one application object.
#include "app/Plexo3App_win.h"

namespace {
zarn::CPlexo3App theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return zarn::AfxWinMain(instance, showCommand);
}
