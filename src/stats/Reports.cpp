// Report addresses.
#include "stats/Reports.h"

#include "app/Urls.h"

namespace zarn {

std::wstring ReportUrl(Report report, unsigned count) {
    const wchar_t* path = L"/install.htm?tag=zarn&ver=3.0.0.2";
    if (report == Report::PortalStart)
        path = L"/active.htm?tag=webMirel&ver=3.0.0.2";
    else if (report == Report::Uninstall)
        path = L"/uninstall.htm?tag=zarn&ver=3.0.0.2";
    return StatsUrl(path) + L"&count=" + std::to_wstring(count);
}

std::wstring LauncherStartUrl(unsigned count, int32_t apartDays, int32_t keepDays, int32_t weekdays) {
    return StatsUrl(L"/active.htm?tag=zarn&ver=3.0.0.2") + L"&count=" + std::to_wstring(count) +
           L"&apartdays=" + std::to_wstring(apartDays) + L"&keepdays=" + std::to_wstring(keepDays) +
           L"&weekdays=" + std::to_wstring(weekdays);
}

} // namespace zarn
