// Address rules of the program's own HTTP traffic.
#include "net/HttpUrl.h"

#include <vector>

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

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// A Location value the program follows at all: printable ASCII without a backslash.
bool IsPlainLocation(std::wstring_view location) {
    for (wchar_t c : location)
        if (c < 0x21 || c > 0x7E || c == L'\\')
            return false;
    return !location.empty();
}

// The scheme of a URL reference (the text before ":" when it starts with a letter, comes before any
// "/", "?" or "#" and holds only letters, digits, "+", "-" and "."); empty when there is none.
std::wstring_view SchemeOf(std::wstring_view reference) {
    const size_t colon = reference.find(L':');
    if (colon == std::wstring_view::npos || colon == 0 || !IsAsciiLetter(reference[0]))
        return {};
    for (wchar_t c : reference.substr(0, colon))
        if (!IsHostCharacter(c) && c != L'+')
            return {};
    return reference.substr(0, colon);
}

// An address cut into its parts: the authority (host and port), the path (from its "/") and the
// query (from its "?").
struct AddressParts {
    std::wstring_view Authority;
    std::wstring_view Path;
    std::wstring_view Query;
};

// Splits what follows "//" in an absolute address.
AddressParts SplitAfterSlashes(std::wstring_view rest) {
    AddressParts parts;
    const size_t end = rest.find_first_of(L"/?");
    parts.Authority = rest.substr(0, end);
    if (end == std::wstring_view::npos)
        return parts;
    const std::wstring_view tail = rest.substr(end);
    const size_t question = tail.find(L'?');
    parts.Path = tail.substr(0, question);
    if (question != std::wstring_view::npos)
        parts.Query = tail.substr(question);
    return parts;
}

// RFC 3986's removal of "." and ".." segments from an absolute path.
std::wstring RemoveDotSegments(std::wstring_view path) {
    std::vector<std::wstring_view> kept;
    bool endsInFolder = false;
    size_t at = 1; // after the leading "/"
    for (;;) {
        const size_t slash = path.find(L'/', at);
        const std::wstring_view segment =
            path.substr(at, slash == std::wstring_view::npos ? path.npos : slash - at);
        const bool last = slash == std::wstring_view::npos;
        endsInFolder = false;
        if (segment == L"..") {
            if (!kept.empty())
                kept.pop_back();
            endsInFolder = true;
        } else if (segment == L".") {
            endsInFolder = true;
        } else {
            kept.push_back(segment);
        }
        if (last)
            break;
        at = slash + 1;
    }
    std::wstring out;
    for (std::wstring_view segment : kept) {
        out += L'/';
        out += segment;
    }
    if (out.empty() || (endsInFolder && out.back() != L'/'))
        out += L'/';
    return out;
}

std::wstring Compose(std::wstring_view authority, std::wstring_view path, std::wstring_view query) {
    std::wstring url(Scheme);
    url += authority;
    url += RemoveDotSegments(path.empty() ? std::wstring_view(L"/") : path);
    url += query;
    return url;
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

bool IsRedirectStatus(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::wstring> ResolveRedirect(std::wstring_view current, std::wstring_view location) {
    location = location.substr(0, location.find(L'#')); // a fragment never goes to the server
    if (!IsPlainLocation(location) || !HasHttpScheme(current))
        return std::nullopt;
    const std::wstring_view scheme = SchemeOf(location);
    if (!scheme.empty()) {
        if (!EqualsIgnoreCase(scheme, L"http") || location.substr(scheme.size(), 3) != L"://")
            return std::nullopt;
        location.remove_prefix(scheme.size() + 1); // now "//..."
    }
    if (location.substr(0, 2) == L"//") {
        const AddressParts target = SplitAfterSlashes(location.substr(2));
        if (target.Authority.empty())
            return std::nullopt;
        return Compose(target.Authority, target.Path, target.Query);
    }

    const AddressParts base = SplitAfterSlashes(current.substr(Scheme.size()));
    const size_t question = location.find(L'?');
    const std::wstring_view path = location.substr(0, question);
    const std::wstring_view query =
        question == std::wstring_view::npos ? std::wstring_view() : location.substr(question);
    if (path.empty()) // only a query: the same path asks again
        return Compose(base.Authority, base.Path, query);
    if (path.front() == L'/')
        return Compose(base.Authority, path, query);
    const std::wstring_view basePath = base.Path.empty() ? std::wstring_view(L"/") : base.Path;
    std::wstring merged(basePath.substr(0, basePath.rfind(L'/') + 1));
    merged += path;
    return Compose(base.Authority, merged, query);
}

unsigned ProgressPercent(uint64_t total, uint32_t announced) {
    if (announced == 0 || total >= announced)
        return 100;
    return static_cast<unsigned>(total * 100 / announced);
}

} // namespace zarn
