// Usage counters in "Statistic.ini" and the report pings sent on report threads.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"
#include "stats/DayFigures.h"
#include "stats/Reports.h"

namespace zarn {

// The process's two report events, made at start-up: UrlCopiedEvent is set by a report thread once it
// has copied its URL, ReportDoneEvent once its request went out (never reset).
struct ReportEvents {
    UniqueHandle UrlCopiedEvent;
    UniqueHandle ReportDoneEvent;
};

enum class StatisticKind : int {
    Mirel = 0,
    Inst = 1,
    UnInst = 2,
    Game = 3,
    ApartDays = 4,
    KeepDays = 5,
    WeekDays = 6
};

// "Statistic.ini" in the install folder.
std::wstring StatisticFilePath();

// Updates one statistic and returns its new value (see StatisticKind).
unsigned UpdateStatistic(StatisticKind kind);

// Whole days from the last start stored by an earlier process ("lstTime", read once per process and
// cached) to today's local date.
int32_t DaysSinceLastStart();

// Starts a report thread for the URL and returns once the thread has copied it. If no thread can be
// started the report is lost and ReportDoneEvent is set, so that nobody waits for it forever.
int SendReport(const std::wstring& url, ReportEvents& events);

// Gives report threads that are still sending up to timeoutMs to finish (the process calls it before
// it ends, so that a report started just before is not cut off).
void WaitForPendingReports(DWORD timeoutMs);

// The launcher-start block: day figures, the "Game" counter and the activity report (not waited for).
void RunLauncherStartStatistics(ReportEvents& events);

// Today's local date.
LocalDate TodayLocal();

} // namespace zarn
