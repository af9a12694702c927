// Statistics and report pings (placeholder: nothing is counted or sent yet).
#include "stats/Statistics_win.h"

#include "app/Plexo3App_win.h"

namespace zarn {

unsigned UpdateStatistic(StatisticKind) { return 0; }

int SendReport(const std::wstring&, CPlexo3App& app) {
    ::SetEvent(app.ReportDoneEvent.get());
    return 1;
}

void RunLauncherStartStatistics(CPlexo3App&) {}

} // namespace zarn
