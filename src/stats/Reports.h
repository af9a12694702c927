// The report pings' addresses on the statistics host. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace zarn {

enum class Report { Install, PortalStart, Uninstall };

// The finished address of an install, portal-start or uninstall report with its count.
std::wstring ReportUrl(Report report, unsigned count);

// The launcher-start report: "...&count=%u&apartdays=%d&keepdays=%d&weekdays=%d".
std::wstring LauncherStartUrl(unsigned count, int32_t apartDays, int32_t keepDays, int32_t weekdays);

} // namespace zarn
