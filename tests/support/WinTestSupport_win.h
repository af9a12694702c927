// Helpers for the Windows-side tests: starting Zarn.exe, finding and answering its windows, reading
// the local portal's request log, and cleaning the program's traces from the Wine prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"

namespace zarn::test {

// The test executable's folder, with its trailing backslash.
std::wstring TestExeFolder();
// Zarn.exe beside the test executable.
std::wstring ZarnExe();
// The test build of Zarn.exe (testbuild/Zarn.exe beside the test executable): the same program with
// its test seams open (ZARN_TEST_* environment settings).
std::wstring ZarnTestBuildExe();
// <build>/test-state: the portal's request log and scratch folders.
std::wstring TestStateFolder();
// A new, empty scratch folder below the test-state folder.
std::wstring MakeScratchFolder(const std::wstring& name);

struct Program {
    UniqueHandle Process;
    DWORD Pid = 0;
};
// Starts exe with the arguments (a command line after the program path).
Program StartProgram(const std::wstring& exe, const std::wstring& arguments);
// Waits for the process; false on time-out.
bool WaitForExit(const Program& program, DWORD timeoutMs, DWORD* exitCode = nullptr);
// Ends the process if it still runs.
void Kill(const Program& program);

// The first visible top-level window of the process with this title; null on time-out.
HWND WaitForWindow(DWORD pid, const std::wstring& title, DWORD timeoutMs);
// The texts of a window's static children, joined with "\n" (a system message box's body).
std::wstring StaticTexts(HWND window);
// Clicks the child button with this id.
void ClickButton(HWND window, int id);

// The portal's request log, one JSON text per request.
std::vector<std::string> PortalLog();
// Sends a control request to the local portal ("/__portal/..."); true on HTTP 200.
bool PortalControl(const std::wstring& pathAndQuery);

// Removes the product's registry key, install folder, shortcuts and statistics.
void ResetProgramState();
bool RegistryKeyExists(HKEY root, const std::wstring& path);
bool FileExists(const std::wstring& path);
// The whole file (empty when it cannot be read); reads files others have open too.
std::string ReadFileBytes(const std::wstring& path);
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

} // namespace zarn::test
