// The report addresses: page, tag, the program's own version and the figures, in this order.
#include "stats/Reports.h"

#include <gtest/gtest.h>

#include "base/Product.h"

using namespace zarn;

namespace {
bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}
} // namespace

TEST(Reports, EveryAddressCarriesTheProgramsVersion) {
    const std::wstring ver = std::wstring(L"&ver=") + product::Version;
    EXPECT_TRUE(EndsWith(ReportUrl(Report::Install, 4), L"/install.htm?tag=zarn" + ver + L"&count=4"));
    EXPECT_TRUE(EndsWith(ReportUrl(Report::PortalStart, 0), L"/active.htm?tag=webMirel" + ver + L"&count=0"));
    EXPECT_TRUE(EndsWith(ReportUrl(Report::Uninstall, 12), L"/uninstall.htm?tag=zarn" + ver + L"&count=12"));
    EXPECT_TRUE(EndsWith(LauncherStartUrl(7, -1, 3, 5),
                         L"/active.htm?tag=zarn" + ver + L"&count=7&apartdays=-1&keepdays=3&weekdays=5"));
    EXPECT_EQ(ReportUrl(Report::Install, 4).rfind(L"http://", 0), 0u);
}
