// The start-up benchmark's floor: the least a program with this program's required pieces does to show
// one window. Like the bare window, but a dialog from a template with the dialog font, with common
// controls 6 (the manifest) started, and loading the same system DLLs as the program.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <mmsystem.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <wininet.h>

namespace {
INT_PTR CALLBACK FloorProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

// One function of each DLL the program imports, so that the loader maps and starts each of them.
void* volatile Imports[] = {
    reinterpret_cast<void*>(&CoTaskMemFree),
    reinterpret_cast<void*>(&SysFreeString),
    reinterpret_cast<void*>(&ShellExecuteW),
    reinterpret_cast<void*>(&SHDeleteValueW),
    reinterpret_cast<void*>(&InternetCloseHandle),
    reinterpret_cast<void*>(&waveOutGetNumDevs),
    reinterpret_cast<void*>(&Gdiplus::GdiplusShutdown),
    reinterpret_cast<void*>(&TransparentBlt),
};
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND dialog = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(1), nullptr, FloorProc, 0);
    ::ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (Imports[0] && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
