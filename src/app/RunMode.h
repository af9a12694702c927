// The eight run modes of the program and how the command line selects one. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

enum class RunMode : int {
    Install = 0,
    PortalShortcut = 1,
    GameShortcut = 2,
    Installed = 3,
    Uninstall = 4,
    Update = 5,
    NewGameWindow = 6,
    GameHallWindow = 7,
};

struct RunModeChoice {
    RunMode Mode = RunMode::Install;
    // The launcher window's handle value ("/newgm", "/gmhall"); 0 otherwise.
    int32_t LauncherWnd = 0;
    // The tab number ("/newgm"); 0 otherwise.
    int32_t GameWindowOrdinal = 0;
};

// Longest "/newgm" and "/gmhall" values, in characters, that are read; longer ones read as 0.
inline constexpr size_t MaxLauncherArgument = 15;
inline constexpr size_t MaxOrdinalArgument = 7;

// Whether a window handle value is zero or one of the values that name no single window but all
// top-level windows (HWND_BROADCAST, 0xFFFF) or a place in the z-order (HWND_TOPMOST -1,
// HWND_NOTOPMOST -2, HWND_MESSAGE -3, HWND_BOTTOM 1); such a value is never a launcher window.
bool IsSpecialWindowValue(int32_t value);

// Decides the run mode from the arguments after the program name. Only the first argument selects
// the mode; without a known switch the program's location decides: inside the install folder it is
// the installed launcher, elsewhere it installs itself.
RunModeChoice ChooseRunMode(const std::vector<std::wstring>& args, std::wstring_view installFolder,
                            std::wstring_view programPath);

// The value of a "/<number>" argument: the number after its first character. Missing, non-numeric
// and over-long values read as 0.
int32_t ReadSlashNumber(const std::wstring* arg, size_t maxLength);

} // namespace zarn
