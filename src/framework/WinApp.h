// The application object: one per process. The entry point hands control to it; it runs the
// process's start-up (InitInstance), its message loop when there is one, and its shut-down.
#pragma once

#include <windows.h>

namespace zarn {

class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up. TRUE means: run the message loop; FALSE means: end the process now.
    virtual BOOL InitInstance();
    // Shut-down; runs in every case. Returns the process exit code.
    virtual int ExitInstance();
    // Gives the program a look at every queued message before it is translated and dispatched;
    // TRUE swallows it. The base offers it to the window objects of the message's window and its
    // parents (CWnd::WalkPreTranslateTree).
    virtual BOOL PreTranslateMessage(MSG* msg);
    // The message loop; returns ExitInstance's result once WM_QUIT arrives.
    virtual int Run();

    // Runs one message through PreTranslateMessage, then TranslateMessage/DispatchMessage.
    void PumpMessage(MSG& msg);

    HINSTANCE Instance = nullptr;
    HWND MainWindow = nullptr;
    int ShowCommand = SW_SHOWNORMAL;

  protected:
    int QuitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// The program's entry point calls this with what wWinMain received.
int AfxWinMain(HINSTANCE instance, int showCommand);

} // namespace zarn
