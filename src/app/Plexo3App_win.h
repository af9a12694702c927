// The application object of every process of the program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/RunMode.h"
#include "framework/DocView.h"
#include "framework/GdiplusSession.h"
#include "framework/WinApp.h"
#include "stats/Statistics_win.h"
#include "update/SelfUpdate_win.h"

namespace zarn {

class CPlexo3App : public CWinApp {
  public:
    CPlexo3App();
    ~CPlexo3App() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The self-update's dialog, the published address and key of the last check.
    UpdateState Update;
    // GDI+ for the whole process, from InitInstance to ExitInstance; every skin image needs it.
    std::unique_ptr<GdiplusSession> Gdiplus;
    ReportEvents Reports; // made at start-up, waited on by each report
    // The game window's document, frame and view (game-window processes only).
    std::unique_ptr<CSingleDocTemplate> GameWindowTemplate;

  private:
    BOOL RunModeWork(RunMode mode);
    bool OleInitialized = false;
};

} // namespace zarn
