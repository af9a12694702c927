// Text rules shared by the whole program.
#include "base/Strings.h"

#include <limits>

namespace zarn {

int32_t ParseLong(std::wstring_view text) {
    size_t i = 0;
    auto isSpace = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > limit)
            value = limit; // clamp, but keep consuming digits like the runtime does
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::wstring AsciiUpper(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return out;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

std::wstring FolderWithSlash(std::wstring_view path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

std::wstring FolderWithoutSlash(std::wstring_view path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash));
}

std::wstring FileNameOf(std::wstring_view path) {
    size_t slash = path.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring Truncated(std::wstring_view text, size_t capacity) {
    if (capacity == 0)
        return {};
    return std::wstring(text.substr(0, capacity - 1));
}

} // namespace zarn
