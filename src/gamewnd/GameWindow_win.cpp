// The game window's shared values and the creation of its document, frame and view.
#include "gamewnd/GameWindow_win.h"

#include "base/Product.h"
#include "framework/DocView.h"
#include "gamewnd/GmWndDoc_win.h"
#include "gamewnd/GmWndView_win.h"
#include "gamewnd/MainFrm_win.h"
#include "res/resource.h"

namespace zarn {

CGmWndView* TheGameView = nullptr;
FrameHotKeys GameHotKeys;

std::unique_ptr<CSingleDocTemplate> CreateGameWindow() {
    auto gameWindow = CSingleDocTemplate::Make<CGmWndDoc, CMainFrame, CGmWndView>(IDR_MAINFRAME);
    // Created hidden: the frame shows itself once its first page is in place in the launcher.
    CFrameWnd* frame = gameWindow->OpenNewDocument(false);
    if (!frame)
        return nullptr;
    frame->SetWindowText(product::Caption);
    ::ShowWindow(frame->GetSafeHwnd(), SW_HIDE);
    ::UpdateWindow(frame->GetSafeHwnd());
    return gameWindow;
}

} // namespace zarn
