// Field-by-field comparison of Flash Player version texts.
#include "update/FlashVersion.h"

#include "base/Strings.h"

namespace zarn {

namespace {

// The next field: the text before the first comma, which is removed together with the comma; with
// no comma the whole remaining text, which then stays.
int32_t TakeField(std::wstring_view& rest) {
    const size_t comma = rest.find(L',');
    if (comma == std::wstring_view::npos)
        return ParseLong(rest);
    const std::wstring_view field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return ParseLong(field);
}

} // namespace

bool IsFlashVersionNewer(std::wstring_view installed, std::wstring_view reference) {
    for (int pass = 0; pass < 4; ++pass) {
        const int32_t mine = TakeField(installed);
        const int32_t least = TakeField(reference);
        if (mine != least)
            return mine > least;
    }
    return false;
}

} // namespace zarn
