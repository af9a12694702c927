// The process-wide values of a game-window process.
#include "app/GameProcess_win.h"

#include "app/Program_win.h"
#include "app/Urls.h"

namespace zarn {

HWND LauncherWnd = nullptr;
int32_t GameWindowOrdinal = 0;
std::wstring GameUrl = GameHallPageUrl();
std::wstring CurrentUrl;
std::wstring CurrentTitle;

HWND LauncherWindow() {
    const int32_t value = WindowHandleValue(LauncherWnd);
    if (IsSpecialWindowValue(value) || LauncherWnd == ::GetDesktopWindow() || !::IsWindow(LauncherWnd))
        return nullptr;
    return LauncherWnd;
}

bool PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND launcher = LauncherWindow();
    return launcher && ::PostMessageW(launcher, message, wParam, lParam);
}

bool IsGameHall() {
    return GameUrl == GameHallPageUrl();
}

} // namespace zarn
