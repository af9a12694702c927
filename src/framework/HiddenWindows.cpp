// HiddenWindows: hiding and restoring the top-level windows of this process.
#include "framework/HiddenWindows.h"

#include <cwchar>

#include "framework/Wnd.h"

namespace zarn {
namespace {

struct Search {
    HWND Except;
    std::vector<HWND>* Found;
};

BOOL CALLBACK CollectOwnWindow(HWND wnd, LPARAM l) {
    auto* search = reinterpret_cast<Search*>(l);
    if (!IsWindowOfThisProcess(wnd) || wnd == search->Except || !::IsWindowVisible(wnd))
        return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(wnd, name, 64);
    if (std::wcscmp(name, L"tooltips_class32") != 0)
        search->Found->push_back(wnd);
    return TRUE;
}

// A window of another thread of this process is only asked, so that a busy thread cannot hold this one.
void Show(HWND wnd, int command) {
    if (::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId())
        ::ShowWindow(wnd, command);
    else
        ::ShowWindowAsync(wnd, command);
}

} // namespace

void HiddenWindows::Hide(HWND except) {
    if (!Windows.empty())
        return;
    Search search{except, &Windows};
    ::EnumWindows(CollectOwnWindow, reinterpret_cast<LPARAM>(&search));
    for (HWND wnd : Windows)
        Show(wnd, SW_HIDE);
}

HWND HiddenWindows::Restore() {
    HWND top = nullptr;
    // Bottom first, so that each shown window comes over the ones below it.
    for (auto it = Windows.rbegin(); it != Windows.rend(); ++it) {
        if (!::IsWindow(*it))
            continue;
        Show(*it, SW_SHOWNA);
        if (::IsWindowEnabled(*it))
            top = *it;
    }
    Windows.clear();
    return top;
}

} // namespace zarn
