// The addresses the program uses, built from the hosts fixed at build time. Portable.
#pragma once

#include <string>

namespace zarn {

std::wstring ProbeUrl();         // root of the connectivity-probe site
std::wstring PortalHomeUrl();    // root of the portal's web site
std::wstring FlashDownloadUrl(); // the Flash Player download page
std::wstring LoginPageUrl();     // the portal's login page for this game
std::wstring GameHallPageUrl();  // the game hall on the statistics host
std::wstring UpdateConfigUrl();  // this program's update configuration page
// An address on the statistics host; pathAndQuery starts with "/".
std::wstring StatsUrl(const std::wstring& pathAndQuery);

} // namespace zarn
