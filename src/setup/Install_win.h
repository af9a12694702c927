// Install into the common application-data folder, the four shortcuts, and uninstall.
#pragma once

#include <string>

namespace zarn {

class CPlexo3App;

int InstallProgram();
void UninstallProgram(CPlexo3App& app);
// Creates the two desktop and two Start-menu shortcuts for the given program file.
void CreateProgramShortcuts(const std::wstring& target);

} // namespace zarn
