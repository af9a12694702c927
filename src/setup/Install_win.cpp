// Install and uninstall (placeholder: only the uninstall report is sent).
#include "setup/Install_win.h"

#include "app/Plexo3App_win.h"
#include "stats/Statistics_win.h"

namespace zarn {

int InstallProgram() { return 1; }

void UninstallProgram(CPlexo3App& app) {
    SendReport(ReportUrl(Report::Uninstall, UpdateStatistic(StatisticKind::UnInst)), app);
}

void CreateProgramShortcuts(const std::wstring&) {}

} // namespace zarn
