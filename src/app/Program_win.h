// The program's own file, its folders, its run mode and how it starts copies of itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/RunMode.h"

namespace zarn {

// Set by GetRunMode in a game-window process ("/newgm", "/gmhall"): the launcher window that started
// it and its tab number. Zero otherwise.
extern HWND LauncherWnd;
extern int32_t GameWindowOrdinal;

// A window handle as a number in a command line ("/newgm /<value>"). Window handles have 32
// significant bits, sign-extended to the pointer's width on 64-bit Windows, so the same value names
// the same window in a 32-bit and a 64-bit process.
int32_t WindowHandleValue(HWND wnd);
HWND WindowFromHandleValue(int32_t value);

// Reads the command line of this process; the same answer every time.
RunMode GetRunMode();

// The program's own full path (GetModuleFileNameW).
std::wstring ProgramPath();

// The program's folder with its trailing backslash, followed by fileName; with no name, the
// program's own path. Empty when the program path has no backslash.
std::wstring PathBesideProgram(const wchar_t* fileName = nullptr);

// CSIDL_COMMON_APPDATA (empty if the lookup fails) and the install folder below it.
std::wstring CommonAppDataFolder();
std::wstring InstallFolder();

// Starts the given executable (the program itself when none is given) with no arguments, at idle
// priority, shown normally. Failures are ignored. The path may contain spaces.
void LaunchProgram(const wchar_t* executable = nullptr);

} // namespace zarn
