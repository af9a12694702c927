// The rules of the program's own HTTP addresses: splitting "host[:port]/object", the scheme test, the
// allowed-domain test, where a redirect leads, and the progress percentage. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

// Limits of the parsed parts (the host text with its port, and the object name), in characters.
inline constexpr size_t MaxHostLength = 259;
inline constexpr size_t MaxObjectLength = 511;

struct HttpTarget {
    std::wstring Host;   // without the port
    uint16_t Port = 80;  // the number after ":" (wcstol rules, cut to 16 bits); 80 when there is none
    std::wstring Object; // everything after the first "/" that follows the host, without that slash
};

// Splits the text after "http://". Refused (nullopt): an empty host, a host (with its port) longer
// than MaxHostLength, or an object name longer than MaxObjectLength; an address is never cut short.
std::optional<HttpTarget> SplitHttpUrl(std::wstring_view afterScheme);

// True when the text begins with "http://", in any letter case.
bool HasHttpScheme(std::wstring_view url);

// What the downloads do: the first seven characters are skipped without being looked at.
std::wstring_view SkipScheme(std::wstring_view url);

// The allowed-domain test of downloads: the URL's host (without port) equals one of the domains or
// ends with "." followed by one of them, ignoring letter case. Only what lies between the scheme and
// the first "/" counts; a host with characters outside letters, digits, "-" and "." never passes.
bool IsAllowedDownloadUrl(std::wstring_view url, const std::array<std::wstring_view, 3>& domains);

// At most this many redirects are followed for one request; one more fails it.
inline constexpr int MaxRedirects = 5;

// The statuses that name another address in their Location header: 301, 302, 303, 307 and 308.
bool IsRedirectStatus(long status);

// The absolute "http://" address a Location header value names, read against the address that
// answered with it (current, an absolute "http://" address): an absolute http URL, a scheme-relative
// "//host/...", an absolute path, a query, or a path relative to current's folder; "." and ".."
// segments are removed and a fragment is dropped. Refused (nullopt): an empty value, any other
// scheme, and a value with characters outside printable ASCII or with a backslash (which browsers
// and WinINet read in different ways).
std::optional<std::wstring> ResolveRedirect(std::wstring_view current, std::wstring_view location);

// Percentage of an announced length that has arrived, 0 to 100. An announced length of 0 is complete.
unsigned ProgressPercent(uint64_t total, uint32_t announced);

} // namespace zarn
