// CWinApp: the process-wide application object and its message loop.
#include "framework/WinApp.h"

#include "framework/Wnd.h"

namespace zarn {
namespace {
CWinApp* TheApp = nullptr;
} // namespace

CWinApp::CWinApp() {
    TheApp = this;
}

CWinApp::~CWinApp() {
    if (TheApp == this)
        TheApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return QuitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    return CWnd::WalkPreTranslateTree(msg);
}

void CWinApp::PumpMessage(MSG& msg) {
    if (PreTranslateMessage(&msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            QuitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        PumpMessage(msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return TheApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return TheApp ? TheApp->Instance : ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE instance, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->Instance = instance;
    app->ShowCommand = showCommand;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

} // namespace zarn
