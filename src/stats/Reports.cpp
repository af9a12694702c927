// Report addresses: the page, the tag and the program's version, then the figures.
#include "stats/Reports.h"

#include "app/Urls.h"
#include "base/Product.h"

namespace zarn {
namespace {
// "/<page>?tag=<tag>&ver=<the program's version>".
std::wstring ReportPath(const wchar_t* page, const wchar_t* tag) {
    return std::wstring(page) + L"?tag=" + tag + L"&ver=" + product::Version;
}
} // namespace

std::wstring ReportUrl(Report report, unsigned count) {
    std::wstring path = ReportPath(L"/install.htm", L"zarn");
    if (report == Report::PortalStart)
        path = ReportPath(L"/active.htm", L"webMirel");
    else if (report == Report::Uninstall)
        path = ReportPath(L"/uninstall.htm", L"zarn");
    return StatsUrl(path) + L"&count=" + std::to_wstring(count);
}

std::wstring LauncherStartUrl(unsigned count, int32_t apartDays, int32_t keepDays, int32_t weekdays) {
    return StatsUrl(ReportPath(L"/active.htm", L"zarn")) + L"&count=" + std::to_wstring(count) +
           L"&apartdays=" + std::to_wstring(apartDays) + L"&keepdays=" + std::to_wstring(keepDays) +
           L"&weekdays=" + std::to_wstring(weekdays);
}

} // namespace zarn
