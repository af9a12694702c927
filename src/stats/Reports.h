// The report pings' addresses on the statistics host. Portable.
#pragma once

#include <string>

namespace zarn {

enum class Report { Install, PortalStart, Uninstall };

// The finished address of an install, portal-start or uninstall report with its count.
std::wstring ReportUrl(Report report, unsigned count);

} // namespace zarn
