// Starting xdotool from a Windows test under Wine, and the queue watch that waits for its input.
#include "support/Xdotool_win.h"

#include <atomic>

namespace zarn::test {

namespace {

struct Expected {
    std::atomic<UINT> Message{0};
    std::atomic<WPARAM> WParam{0};
    std::atomic<HANDLE> Seen{nullptr};
};

Expected& Watched() {
    static Expected expected;
    return expected;
}

bool Matches(const MSG& msg) {
    const Expected& expected = Watched();
    const UINT message = expected.Message.load();
    if (msg.wParam != expected.WParam.load())
        return false;
    if (message == 0)
        return msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    return msg.message == message;
}

LRESULT CALLBACK WatchQueue(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION && w == PM_REMOVE && Matches(*reinterpret_cast<const MSG*>(l))) {
        if (HANDLE seen = Watched().Seen.load())
            ::SetEvent(seen);
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}

} // namespace

bool StartXdotool(const std::wstring& arguments) {
    std::wstring commandLine = L"/usr/bin/xdotool " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        return false;
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    return true;
}

QueueWatch::QueueWatch(DWORD threadId) : seen_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    Watched().Seen = seen_.get();
    hook_.reset(::SetWindowsHookExW(WH_GETMESSAGE, WatchQueue, nullptr, threadId));
}

QueueWatch::~QueueWatch() {
    hook_.reset();
    Watched().Seen = nullptr;
}

void QueueWatch::Arm(UINT message, WPARAM wParam) {
    ::ResetEvent(seen_.get());
    Watched().Message = message;
    Watched().WParam = wParam;
}

bool QueueWatch::Wait(DWORD timeoutMs) {
    return ::WaitForSingleObject(seen_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool RealClick(QueueWatch& watch, HWND wnd) {
    RECT r{};
    if (!::GetWindowRect(wnd, &r))
        return false;
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    watch.Arm(WM_LBUTTONUP, 0);
    return StartXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" click 1") &&
           watch.Wait();
}

bool RealKey(QueueWatch& watch, const std::wstring& combination, WPARAM key) {
    watch.Arm(0, key);
    return StartXdotool(L"key " + combination) && watch.Wait();
}

} // namespace zarn::test
