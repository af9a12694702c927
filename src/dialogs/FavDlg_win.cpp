// The favourites dialog and the writing of its Internet Shortcut.
#include "dialogs/FavDlg_win.h"

#include <shlobj.h>

#include "dialogs/Favorite.h"
#include "framework/CodePage.h"
#include "framework/Handle.h"

namespace zarn {

std::wstring FavoritesFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    folder[MAX_PATH - 1] = L'\0';
    return folder;
}

bool SaveFavorite(const std::wstring& folder, const std::wstring& name, const std::wstring& address) {
    const std::optional<std::wstring> path = FavoritePath(folder, name);
    const std::optional<std::wstring> text = FavoriteFileText(address);
    if (!path || !text)
        return false;
    // Characters the ANSI code page lacks become its default character; nothing is dropped or cut.
    const std::optional<std::string> converted = ToCodePage(*text, CP_ACP);
    if (!converted || converted->empty())
        return false;
    const std::string& ansi = *converted;

    UniqueFile file(::CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    const bool whole =
        ::WriteFile(file.get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr) &&
        written == ansi.size();
    file.reset();
    if (!whole) // a shortcut cut short would open the wrong page
        ::DeleteFileW(path->c_str());
    return whole;
}

CFavDlg::CFavDlg(const std::wstring& proposedName, const std::wstring& address, HWND parent)
    : CDialog(IDD_FAVDLG, parent), ProposedName(proposedName), Address(address) {}

BOOL CFavDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The box takes no more than a name may have; a longer title is shown shortened, so that what the
    // user sees is what is saved.
    ::SendDlgItemMessageW(GetSafeHwnd(), IDC_FAVORITENAME, EM_LIMITTEXT, MaxFavoriteNameLength, 0);
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_FAVORITENAME, ShortenFavoriteName(ProposedName).c_str());
    return TRUE;
}

void CFavDlg::OnOK() {
    CDialog::OnOK(); // ends the modal loop once this returns; the name box can still be read
    wchar_t name[MaxFavoriteNameLength + 2] = {};
    const UINT got = ::GetDlgItemTextW(GetSafeHwnd(), IDC_FAVORITENAME, name, MaxFavoriteNameLength + 2);
    SaveFavorite(FavoritesFolder(), std::wstring(name, got), Address);
}

} // namespace zarn
