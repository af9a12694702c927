// CFavDlg: the dialog of Ctrl+D in a game window. It asks for a name and saves the game page as an
// Internet Shortcut ("<name>.url") in the user's Favorites folder, so that the browser can open it.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

namespace zarn {

inline constexpr UINT IDD_FAVDLG = 159;
inline constexpr int IDC_FAVORITENAME = 1018;

// Writes the shortcut for `address` as "<folder>\<name>.url" in the ANSI code page, replacing an
// existing one. False, with nothing written, for a name or address the rules of Favorite.h refuse or
// when the file cannot be written whole.
bool SaveFavorite(const std::wstring& folder, const std::wstring& name, const std::wstring& address);

// The user's Favorites folder (CSIDL_FAVORITES); empty when the system names none.
std::wstring FavoritesFolder();

class CFavDlg : public CDialog {
  public:
    // proposedName: shown in the name box (the page title); address: the URL stored.
    CFavDlg(const std::wstring& proposedName, const std::wstring& address, HWND parent);
    ~CFavDlg() override { DestroyWindow(); }

  protected:
    BOOL OnInitDialog() override;
    // "收藏" or Enter: the dialog ends with IDOK whether or not the file could be written.
    void OnOK() override;

  private:
    const std::wstring ProposedName;
    const std::wstring Address;
};

} // namespace zarn
