// CGmWndView: the page, its placement in the launcher, and the game hall's entergame command.
#include "gamewnd/GmWndView_win.h"

#include <shellapi.h>

#include "app/Plexo3App_win.h"
#include "app/Program_win.h"
#include "app/Urls.h"
#include "base/TestBuild.h"
#include "browser/PageRules.h"
#include "dialogs/DownGameDlg_win.h"
#include "gamewnd/EnterGame.h"
#include "gamewnd/GameWindow_win.h"
#include "launcher/TabStrip.h"
#include "skin/MessageBox_win.h"
#include "skin/SkinRect_win.h"

namespace zarn {

CGmWndView::~CGmWndView() {
    if (TheGameView == this)
        TheGameView = nullptr;
    DestroyWindow();
}

int CGmWndView::OnCreate(CREATESTRUCTW* cs) {
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    return CHtmlView::OnCreate(cs);
}

void CGmWndView::OnInitialUpdate() {
    CHtmlView::OnInitialUpdate();
    TheGameView = this;
    SetSilent(true);
    Navigate2(GameUrl);
}

// The game page has neither border nor scroll bars; the hall keeps both.
HRESULT CGmWndView::OnGetHostInfo(DOCHOSTUIINFO* info) {
    if (!IsGameHall())
        info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

// Every completed page puts the frame into the launcher's game area again (the launcher may have
// been resized since) and shows it.
void CGmWndView::OnNavigateComplete2(const std::wstring& url) {
    TheApp().CurrentUrl = url;
    const HWND frame = AfxGetApp()->MainWindow;
    const HWND launcher = LauncherWindow();
    if (!frame || !launcher)
        return;
    RECT client{};
    ::GetClientRect(launcher, &client);
    const RECT area = ToRect(tabstrip::GameArea(client.right, client.bottom));
    ::MoveWindow(frame, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    ::ShowWindow(frame, SW_SHOW);
}

void CGmWndView::OnTitleChange(const std::wstring& text) {
    TheApp().CurrentTitle = text;
}

void CGmWndView::OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) {
    if (url.find(EnterGamePrefix) != std::wstring::npos) {
        EnterGame(url);
        if (cancel)
            *cancel = VARIANT_TRUE;
        return;
    }
    // As in the page dialogs, nothing a page links to may open files or start programs.
    if (!IsAllowedPageScheme(url) && cancel)
        *cancel = VARIANT_TRUE;
}

// Starts the other game's launcher when it is installed; otherwise offers its download, or opens
// its web address. A code that is no plain word, or a path that would not fit, does nothing.
void CGmWndView::EnterGame(const std::wstring& url) {
    const EnterGameCommand command = ParseEnterGame(url, PortalHomeUrl());
    const std::wstring path = command.Valid ? GameLauncherPath(CommonAppDataFolder(), command.GameCode) : L"";
    if (path.empty()) {
        testbuild::Note(L"entergame refused");
        return;
    }
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        testbuild::Note(L"launch " + path);
        LaunchProgram(path.c_str());
        return;
    }
    const HWND launcher = LauncherWindow();
    if (ShowMessageBox(MB_OKCANCEL, L"Mirel游戏大厅",
                       L"下载Mirel登录器，玩游戏更加方便快捷，现在就去下载吧？", launcher) == IDOK) {
        CDownGameDlg download(command.GameCode, launcher);
        download.DoModal();
        return;
    }
    testbuild::Note(L"open " + command.WebAddress);
    ::ShellExecuteW(nullptr, L"open", command.WebAddress.c_str(), nullptr, nullptr, SW_SHOW);
}

} // namespace zarn
