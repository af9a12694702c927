// Install into the common application-data folder, the four shortcuts, and uninstall.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace zarn {

struct ReportEvents;

// Copies the program into the install folder, creates the shortcuts for that copy and starts it.
// Always 1: every step is best-effort.
int InstallProgram();
// The whole uninstall after the user's confirmation: registry, shortcuts, self-delete batch,
// "UnInst" counter and report (not waited for), and the closing message.
void UninstallProgram(ReportEvents& reports);
// Creates the two desktop and two Start-menu shortcuts for the given program file. COM must be
// initialised on the calling thread.
void CreateProgramShortcuts(const std::wstring& target);

bool CreateDesktopShortcut(const std::wstring& target, const std::wstring& arguments,
                           const std::wstring& name, int iconIndex, const std::wstring& description);
bool CreateStartMenuShortcut(const std::wstring& name, const std::wstring& target,
                             const std::wstring& arguments);
// An empty description leaves the link's description unset.
bool CreateShellLinkFile(const std::wstring& linkPath, const std::wstring& target,
                         const std::wstring& arguments, int iconIndex, const std::wstring& description);
bool DeleteDesktopShortcut(const std::wstring& name);
bool DeleteStartMenuShortcut(const std::wstring& name);

void RemoveRegistryEntries();
int RemoveShortcuts();
// Writes the self-delete batch to the temporary folder and starts it hidden. Returns the batch path
// (empty when no batch was written).
std::wstring ScheduleSelfDelete();

// Files (not folders) in the folder tree; links are counted, never entered. 1 when unlistable.
unsigned CountFilesInTree(const std::wstring& folder);
// Appends text to the file (created if missing): bytes written, or -1 with the system error kept.
long AppendTextToFile(const std::wstring& path, const std::string& text);

// The folders the shortcuts live in (empty when the lookup fails).
std::wstring CommonDesktopFolder();
std::wstring OwnDesktopFolder();
std::wstring StartMenuFolder();

// The path in the ANSI code page, in a form that names exactly this file: the long form if it
// converts without loss, else the short (8.3) form if that does; nothing otherwise.
std::optional<std::string> AnsiPathForBatch(const std::wstring& path);

} // namespace zarn
