// The two dialogs the game window opens: the favourites (Ctrl+D) and another game's client download.
#pragma once

#include <windows.h>

#include <string>

namespace zarn {

void RunFavouritesDialog(const std::wstring& name, const std::wstring& address, HWND parent);
void RunClientDownloadDialog(const std::wstring& gameCode, HWND parent);

} // namespace zarn
