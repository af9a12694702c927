// The self-update's version key: the first 28 hex digits of the program file's MD5 followed by the
// version digits ("3002"). Portable.
#pragma once

#include <string>
#include <string_view>

namespace zarn {

inline constexpr size_t KeyDigestDigits = 28;

// The key of a file whose digest is md5Hex (32 digits); empty when there is no digest.
std::wstring VersionKeyOf(std::string_view md5Hex, std::wstring_view versionDigits);

// A published key differs from the own key (ASCII letter case ignored). An empty own key never
// differs: without its own digest the program cannot tell, and does not update.
bool KeysDiffer(std::wstring_view published, std::wstring_view own);

// The downloaded file is the build the key names: its digest's first 28 digits equal the key's.
bool DigestMatchesKey(std::string_view md5Hex, std::wstring_view key);

} // namespace zarn
