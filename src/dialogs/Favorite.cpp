// The favourite's file text and the rules for its file name.
#include "dialogs/Favorite.h"

#include <array>

namespace zarn {
namespace {

constexpr std::wstring_view Extension = L".url";

bool IsControl(wchar_t c) {
    return static_cast<unsigned>(c) < 0x20;
}

bool IsForbiddenInFileName(wchar_t c) {
    return IsControl(c) || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
}

wchar_t Upper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view upper) {
    if (text.size() != upper.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upper[i])
            return false;
    return true;
}

// Windows opens the device for any name whose part before the first dot, blanks trimmed, is a device
// name: "nul.txt", "CON " and "LPT1.a.b" all name devices, not files.
bool IsReservedDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.front() == L' ')
        base.remove_prefix(1);
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    static constexpr std::array<std::wstring_view, 6> plain = {L"CON", L"PRN",    L"AUX",
                                                               L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : plain)
        if (EqualsIgnoringCase(base, device))
            return true;
    if (base.size() != 4)
        return false;
    const std::wstring_view prefix = base.substr(0, 3);
    if (!EqualsIgnoringCase(prefix, L"COM") && !EqualsIgnoringCase(prefix, L"LPT"))
        return false;
    // 1-9, and the superscript digits that Windows counts as well.
    const wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

} // namespace

std::optional<std::wstring> FavoriteFileText(std::wstring_view address) {
    if (address.size() > MaxFavoriteAddressLength)
        return std::nullopt;
    for (wchar_t c : address)
        if (IsControl(c))
            return std::nullopt;
    std::wstring text;
    text.reserve(160 + 2 * address.size());
    text += L"[DEFAULT]\r\nBASEURL=";
    text += address;
    text += L"\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=";
    text += address;
    text += L"\r\nIDList=\r\n";
    return text;
}

bool IsAllowedFavoriteName(std::wstring_view name) {
    if (name.size() > MaxFavoriteNameLength)
        return false;
    for (wchar_t c : name)
        if (IsForbiddenInFileName(c))
            return false;
    if (name.find(L"..") != std::wstring_view::npos)
        return false;
    return !IsReservedDeviceName(name);
}

std::optional<std::wstring> FavoritePath(std::wstring_view folder, std::wstring_view name) {
    if (folder.empty() || !IsAllowedFavoriteName(name))
        return std::nullopt;
    std::wstring path(folder);
    if (path.back() != L'\\')
        path += L'\\';
    path += name;
    path += Extension;
    if (path.size() > MaxFavoritePathLength)
        return std::nullopt;
    return path;
}

std::wstring ShortenFavoriteName(std::wstring_view proposed) {
    if (proposed.size() <= MaxFavoriteNameLength)
        return std::wstring(proposed);
    size_t keep = MaxFavoriteNameLength;
    const wchar_t last = proposed[keep - 1];
    if (last >= 0xD800 && last <= 0xDBFF) // a high surrogate whose partner would be cut off
        --keep;
    return std::wstring(proposed.substr(0, keep));
}

} // namespace zarn
