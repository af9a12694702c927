// The game window's side dialogs.
#include "gamewnd/SideDialogs_win.h"

#include "base/TestBuild.h"

namespace zarn {

void RunFavouritesDialog(const std::wstring& name, const std::wstring& address, HWND) {
    testbuild::Note(L"favourites " + name + L"|" + address);
}

void RunClientDownloadDialog(const std::wstring& gameCode, HWND) {
    testbuild::Note(L"download " + gameCode);
}

} // namespace zarn
