// ToCodePage: WideCharToMultiByte, measured then filled.
#include "framework/CodePage.h"

namespace zarn {

std::optional<std::string> ToCodePage(std::wstring_view text, UINT codePage) {
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    if (::WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr) != bytes)
        return std::nullopt;
    return out;
}

} // namespace zarn
