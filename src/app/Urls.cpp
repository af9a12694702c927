// Addresses built from the build's host options.
#include "app/Urls.h"

#include "BuildHosts.h"

namespace zarn {
namespace {
std::wstring Http(const wchar_t* host, const wchar_t* pathAndQuery) {
    return std::wstring(L"http://") + host + pathAndQuery;
}
} // namespace

std::wstring ProbeUrl() {
    return Http(build::ProbeHost, L"/");
}
std::wstring PortalHomeUrl() {
    return Http(build::PortalHost, L"/");
}
std::wstring FlashDownloadUrl() {
    return Http(build::FlashHost, L"/go/getflash/");
}
std::wstring LoginPageUrl() {
    return Http(build::PortalHost, L"/zarn/client/index.html?cid=4224");
}
std::wstring GameHallPageUrl() {
    return Http(build::StatsHost, L"/webgame.htm");
}
std::wstring UpdateConfigUrl() {
    return Http(build::StatsHost, L"/update/ConfigZarn.htm");
}
std::wstring StatsUrl(const std::wstring& pathAndQuery) {
    return Http(build::StatsHost, pathAndQuery.c_str());
}

} // namespace zarn
