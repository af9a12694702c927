// The program's own file, its folders, its run mode and how it starts copies of itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/RunMode.h"
#include "framework/Handle.h"

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

// LauncherWnd when it names an existing window other than the desktop; null for zero, for the
// special values (HWND_BROADCAST, HWND_TOPMOST, ...) a forged command line could give, and for a
// launcher window that is gone. Everything this process sends, posts or parents to the launcher
// goes through here, so a forged handle can never reach other windows.
HWND LauncherWindow();
// Posts the message to LauncherWindow(); false, with nothing posted, when there is none.
bool PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam);

// Reads the command line of this process; the same answer every time.
RunMode GetRunMode();

// The program's own full path (GetModuleFileNameW).
std::wstring ProgramPath();

// The program's folder with its trailing backslash, followed by fileName; with no name, the
// program's own path. Empty when the program path has no backslash.
std::wstring PathBesideProgram(const wchar_t* fileName = nullptr);

// The temporary folder with its trailing backslash; empty when it cannot be read or is not shorter
// than MAX_PATH.
std::wstring TempFolder();

// CSIDL_COMMON_APPDATA (empty if the lookup fails) and the install folder below it.
std::wstring CommonAppDataFolder();
std::wstring InstallFolder();

// A started process's handles.
struct StartedProcess {
    UniqueHandle Process;
    UniqueHandle Thread;
};
// CreateProcessW with the application (null: taken from the command line), the command line, the
// window shown as show, and the creation flags; no handles inherited, this process's environment and
// folder. False when the process could not be started.
bool StartProcess(const wchar_t* application, std::wstring commandLine, WORD show, DWORD flags,
                  StartedProcess& started);

// Starts the given executable (the program itself when none is given) with no arguments, at idle
// priority, shown normally. The path may contain spaces. False when it could not be started. The
// started process's handles go to `started` when it is given (a caller that waits for its end).
bool LaunchProgram(const wchar_t* executable = nullptr, StartedProcess* started = nullptr);

// Starts a downloaded program as LaunchProgram does, only when its file holds exactly the bytes whose
// MD5 is md5Hex (32 lower-case digits). The file is opened without write or delete sharing, checked
// through that handle and kept open until the process has started, so no other process can change or
// replace it in between. False, with nothing started, when it cannot be opened, differs or does not
// start.
bool LaunchDownloadedProgram(const std::wstring& path, const std::string& md5Hex, StartedProcess& started);

} // namespace zarn
