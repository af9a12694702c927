// Address rules of the program's own HTTP traffic.
#include "net/HttpUrl.h"

#include "base/Strings.h"

namespace zarn {
namespace {

constexpr std::wstring_view Scheme = L"http://";

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsHostCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L'.';
}

bool EndsWithIgnoreCase(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && EqualsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

} // namespace

std::optional<HttpTarget> SplitHttpUrl(std::wstring_view afterScheme) {
    const size_t slash = afterScheme.find(L'/');
    std::wstring_view host = afterScheme.substr(0, slash);
    std::wstring_view object =
        slash == std::wstring_view::npos ? std::wstring_view() : afterScheme.substr(slash + 1);
    if (host.size() > MaxHostLength || object.size() > MaxObjectLength)
        return std::nullopt;

    HttpTarget target;
    const size_t colon = host.find(L':');
    if (colon != std::wstring_view::npos) {
        target.Port = static_cast<uint16_t>(static_cast<uint32_t>(ParseLong(host.substr(colon + 1))));
        host = host.substr(0, colon);
    }
    if (host.empty())
        return std::nullopt;
    target.Host.assign(host);
    target.Object.assign(object);
    return target;
}

bool HasHttpScheme(std::wstring_view url) {
    if (url.size() < Scheme.size())
        return false;
    for (size_t i = 0; i < Scheme.size(); ++i)
        if (LowerAscii(url[i]) != Scheme[i])
            return false;
    return true;
}

std::wstring_view SkipScheme(std::wstring_view url) {
    return url.size() <= Scheme.size() ? std::wstring_view() : url.substr(Scheme.size());
}

bool IsAllowedDownloadUrl(std::wstring_view url, const std::array<std::wstring_view, 3>& domains) {
    const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(url));
    if (!target)
        return false;
    const std::wstring_view host = target->Host;
    for (wchar_t c : host)
        if (!IsHostCharacter(c))
            return false;
    for (std::wstring_view domain : domains) {
        if (domain.empty())
            continue;
        if (EqualsIgnoreCase(host, domain))
            return true;
        if (host.size() > domain.size() && EndsWithIgnoreCase(host, domain) &&
            host[host.size() - domain.size() - 1] == L'.')
            return true;
    }
    return false;
}

unsigned ProgressPercent(uint64_t total, uint32_t announced) {
    if (announced == 0 || total >= announced)
        return 100;
    return static_cast<unsigned>(total * 100 / announced);
}

} // namespace zarn
