// Fuzzes the favourite's name and path rules and its file text: any text gives a defined result, and
// whatever is accepted stays one file of the folder within the limits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/Favorite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::wstring folder = L"C:\\users\\me\\Favorites";
    if (const auto path = zarn::FavoritePath(folder, text)) {
        // One file directly in the folder: "<name>.url" with a name that neither climbs nor names a
        // folder, drive or stream.
        const std::wstring file = path->substr(folder.size() + 1);
        if (path->size() > zarn::MaxFavoritePathLength ||
            path->compare(0, folder.size() + 1, folder + L"\\") != 0 || file.size() < 4 ||
            file.compare(file.size() - 4, 4, L".url") != 0 || file.substr(0, file.size() - 4) != text ||
            text.find_first_of(L"\\/:") != std::wstring::npos || text.find(L"..") != std::wstring::npos)
            __builtin_trap();
    }
    const std::wstring shortened = zarn::ShortenFavoriteName(text);
    if (shortened.size() > zarn::MaxFavoriteNameLength || text.compare(0, shortened.size(), shortened) != 0)
        __builtin_trap();
    if (const auto file = zarn::FavoriteFileText(text)) {
        size_t breaks = 0, returns = 0, pairs = 0;
        for (size_t i = 0; i < file->size(); ++i) {
            breaks += (*file)[i] == L'\n';
            returns += (*file)[i] == L'\r';
            pairs += (*file)[i] == L'\r' && i + 1 < file->size() && (*file)[i + 1] == L'\n';
        }
        // Exactly seven lines, each ended by CR LF, whatever the address holds.
        if (breaks != 7 || returns != 7 || pairs != 7 || text.size() > zarn::MaxFavoriteAddressLength)
            __builtin_trap();
    }
    return 0;
}
