// The application object of every process of the program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/RunMode.h"
#include "framework/DocView.h"
#include "framework/GdiplusSession.h"
#include "framework/Handle.h"
#include "framework/WinApp.h"
#include "update/PrgsDlg_win.h"

namespace zarn {

class CPlexo3App : public CWinApp {
  public:
    CPlexo3App();
    ~CPlexo3App() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Compares the published version key with the program's own; nonzero means they differ.
    // Throttled (not forced) it runs only in the modes and on the days the throttle allows.
    int CheckForUpdate(bool forced);

    CPrgsDlg UpdateDialog; // the self-update's download dialog
    // GDI+ for the whole process, from InitInstance to ExitInstance; every skin image needs it.
    std::unique_ptr<GdiplusSession> Gdiplus;
    std::wstring UpdateAddress; // "UpdAddr" of the update configuration (at most 511 characters)
    // The published version key of the last check; a downloaded program's digest must match it.
    std::wstring UpdateKey;
    UniqueHandle UrlCopiedEvent;  // set by a report thread once it has copied its URL
    UniqueHandle ReportDoneEvent; // set by a report thread once its request went out; never reset
    std::wstring CurrentTitle;    // the game view's latest document title
    std::wstring CurrentUrl;      // the game view's latest navigated URL
    // The game window's document, frame and view (game-window processes only).
    std::unique_ptr<CSingleDocTemplate> GameWindowTemplate;

  private:
    BOOL RunModeWork(RunMode mode);
    bool OleInitialized = false;
};

CPlexo3App& TheApp();

} // namespace zarn
