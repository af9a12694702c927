// The start-up benchmark's reference: the least a Win32 program does to show one window.
#include <windows.h>

namespace {
LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(wnd, msg, w, l);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BareWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    ::RegisterClassW(&wc);
    HWND wnd = ::CreateWindowW(wc.lpszClassName, L"Bare", WS_POPUP | WS_CAPTION, 100, 100, 300, 160, nullptr,
                               nullptr, instance, nullptr);
    ::ShowWindow(wnd, SW_SHOW);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
