// Version key rules of the self-update.
#include "update/VersionKey.h"

#include "base/Strings.h"

namespace zarn {
namespace {
std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}
} // namespace

std::wstring VersionKeyOf(std::string_view md5Hex, std::wstring_view versionDigits) {
    if (md5Hex.size() != 32)
        return {};
    return Widen(md5Hex.substr(0, 32 - versionDigits.size())) + std::wstring(versionDigits);
}

bool KeysDiffer(std::wstring_view published, std::wstring_view own) {
    if (published.empty() || own.empty())
        return false;
    return !EqualsIgnoreCase(published, own);
}

bool DigestMatchesKey(std::string_view md5Hex, std::wstring_view key) {
    if (md5Hex.size() != 32 || key.size() < KeyDigestDigits)
        return false;
    return EqualsIgnoreCase(Widen(md5Hex.substr(0, KeyDigestDigits)), key.substr(0, KeyDigestDigits));
}

} // namespace zarn
