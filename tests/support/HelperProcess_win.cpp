// The helper process of the cross-process window tests: a command line "--zarn-helper=<role> <receiver>
// <parent>" makes the test executable run the role before GoogleTest starts, and end afterwards.
#include "support/HelperProcess_win.h"

#include <cwchar>
#include <string>

#include "framework/Wnd.h"

namespace zarn::test {
namespace {

const wchar_t HelperFlag[] = L"--zarn-helper=";

HWND HandleFromText(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(text, nullptr, 10)));
}

std::wstring HandleText(HWND wnd) {
    return std::to_wstring(reinterpret_cast<UINT_PTR>(wnd));
}

class HelperWindow : public CWnd {
  public:
    explicit HelperWindow(HWND receiver) : Receiver_(receiver) {}
    ~HelperWindow() override { DestroyWindow(); }

  protected:
    void PreRegisterClass(WNDCLASSEXW& wc) override { wc.lpszClassName = L"ZarnTestHelper"; }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case HelperQuestionMessage:
            return HelperAnswer;
        case HelperPingMessage:
            ::PostMessageW(Receiver_, HelperEchoMessage, 0, 0);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            break;
        default:
            break;
        }
        return CWnd::WindowProc(msg, w, l);
    }

  private:
    HWND Receiver_;
};

// Pumps messages until WM_QUIT or until `process` ends.
void PumpWhileRunning(HANDLE process) {
    for (;;) {
        if (::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

int RunHelper(HelperRole role, HWND receiver, HWND parent) {
    DWORD testPid = 0;
    ::GetWindowThreadProcessId(receiver, &testPid);
    UniqueHandle test(::OpenProcess(SYNCHRONIZE, FALSE, testPid));
    if (!test)
        return 2;
    HelperWindow window(receiver);
    // Hidden: without a window manager, hiding a visible top-level window is slow under Wine.
    const DWORD style = parent ? WS_CHILD : WS_POPUP;
    if (!window.Create(WS_EX_NOPARENTNOTIFY, L"helper", style, RECT{0, 0, 200, 100}, parent))
        return 3;
    ::PostMessageW(receiver, HelperReadyMessage, reinterpret_cast<WPARAM>(window.GetSafeHwnd()), 0);
    if (role == HelperRole::Hung) {
        ::WaitForSingleObject(test.get(), INFINITE); // the window's thread answers nothing from now on
        return 0;
    }
    PumpWhileRunning(test.get());
    return 0;
}

// Runs the helper role, if the command line names one, before main.
struct HelperEntry {
    HelperEntry() {
        const wchar_t* flag = std::wcsstr(::GetCommandLineW(), HelperFlag);
        if (!flag)
            return;
        const wchar_t* rest = flag + std::wcslen(HelperFlag);
        const HelperRole role =
            std::wcsncmp(rest, L"hung", 4) == 0 ? HelperRole::Hung : HelperRole::Responsive;
        const wchar_t* receiver = std::wcschr(rest, L' ');
        const wchar_t* parent = receiver ? std::wcschr(receiver + 1, L' ') : nullptr;
        if (!receiver || !parent)
            ::ExitProcess(1);
        ::ExitProcess(
            static_cast<UINT>(RunHelper(role, HandleFromText(receiver + 1), HandleFromText(parent + 1))));
    }
} TheHelperEntry;

} // namespace

HelperProcess::HelperProcess(HelperRole role, HWND receiver, HWND parent) : Receiver_(receiver) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring roleName = role == HelperRole::Hung ? L"hung" : L"responsive";
    Process_ =
        StartProgram(self, HelperFlag + roleName + L" " + HandleText(receiver) + L" " + HandleText(parent));
}

HelperProcess::~HelperProcess() {
    End();
}

void HelperProcess::End() {
    if (!Process_.Process)
        return;
    ::TerminateProcess(Process_.Process.get(), 99);
    PumpUntilSignalled(Process_.Process.get(), 30000);
    Process_ = Program{};
}

HWND HelperProcess::WaitForWindow(DWORD timeoutMs) {
    WPARAM wnd = 0;
    if (!Process_.Process || !PumpUntilMessage(HelperReadyMessage, timeoutMs, Process_.Process.get(), &wnd))
        return nullptr;
    return reinterpret_cast<HWND>(wnd);
}

bool PumpUntilMessage(UINT message, DWORD timeoutMs, HANDLE stop, WPARAM* wParam) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (msg.message == message) {
                if (wParam)
                    *wParam = msg.wParam;
                return true;
            }
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= timeoutMs)
            return false;
        const DWORD count = stop ? 1 : 0;
        if (::MsgWaitForMultipleObjects(count, &stop, FALSE, timeoutMs - spent, QS_ALLINPUT) ==
                WAIT_OBJECT_0 &&
            stop)
            return false;
    }
}

bool PumpUntilSignalled(HANDLE object, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= timeoutMs)
            return false;
        const DWORD got = ::MsgWaitForMultipleObjects(1, &object, FALSE, timeoutMs - spent, QS_ALLINPUT);
        if (got == WAIT_OBJECT_0)
            return true;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

} // namespace zarn::test
