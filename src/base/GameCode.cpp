// The rule for game codes that become file names.
#include "base/GameCode.h"

namespace zarn {

bool IsValidGameCode(std::wstring_view code) {
    if (code.empty())
        return false;
    for (wchar_t c : code) {
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        const bool digit = c >= L'0' && c <= L'9';
        if (!letter && !digit && c != L'_' && c != L'-')
            return false;
    }
    return true;
}

} // namespace zarn
