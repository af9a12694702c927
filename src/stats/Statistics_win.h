// Usage counters in "Statistic.ini" and the report pings sent on report threads.
#pragma once

#include <string>

#include "stats/Reports.h"

namespace zarn {

class CPlexo3App;

enum class StatisticKind : int { Mirel = 0, Inst = 1, UnInst = 2, Game = 3, ApartDays = 4, KeepDays = 5, WeekDays = 6 };

// Updates one statistic and returns its new value (see StatisticKind).
unsigned UpdateStatistic(StatisticKind kind);

// Starts a report thread for the URL and returns once the thread has copied it.
int SendReport(const std::wstring& url, CPlexo3App& app);

// The launcher-start block: day figures, the "Game" counter and the activity report (not waited for).
void RunLauncherStartStatistics(CPlexo3App& app);

} // namespace zarn
