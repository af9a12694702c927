// The game window's shared values and the creation of its document, frame and view.
#include "gamewnd/GameWindow_win.h"

#include "app/Plexo3App_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "gamewnd/GmWndDoc_win.h"
#include "gamewnd/GmWndView_win.h"
#include "gamewnd/MainFrm_win.h"
#include "res/resource.h"

namespace zarn {

std::wstring GameUrl = GameHallPageUrl();
CGmWndView* TheGameView = nullptr;
FrameHotKeys GameHotKeys;

bool IsGameHall() {
    return GameUrl == GameHallPageUrl();
}

BOOL CreateGameWindow(CPlexo3App& app) {
    app.GameWindowTemplate = CSingleDocTemplate::Make<CGmWndDoc, CMainFrame, CGmWndView>(IDR_MAINFRAME);
    // Created hidden: the frame shows itself once its first page is in place in the launcher.
    CFrameWnd* frame = app.GameWindowTemplate->OpenNewDocument(false);
    if (!frame) {
        app.GameWindowTemplate.reset();
        return FALSE;
    }
    frame->SetWindowText(product::Caption);
    ::ShowWindow(frame->GetSafeHwnd(), SW_HIDE);
    ::UpdateWindow(frame->GetSafeHwnd());
    return TRUE;
}

} // namespace zarn
