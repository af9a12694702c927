// The test build's commands to a hosted browser control, queued per host window.
#include "testbuild/BrowserTestCommands_win.h"

#include <exdispid.h>
#include <wininet.h>

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "framework/WebBrowser.h"

namespace zarn::testbuild {
namespace {

// What a test asked of one host window: its kind, the commands waiting to run, and the box to run when
// it is destroyed.
struct HostState {
    BrowserHostKind Kind = BrowserHostKind::PageDialog;
    std::deque<std::wstring> Queue;
    std::wstring BoxOnClose;
};

std::mutex HostsLock;
std::map<HWND, HostState> Hosts;

INT_PTR CALLBACK ProbeBoxProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// An in-memory template of an empty captioned system dialog.
std::vector<WORD> ProbeTemplate(const std::wstring& title) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
    dialog->style = WS_POPUP | WS_CAPTION; // DialogBox shows a modal one itself
    dialog->cx = 80;
    dialog->cy = 30;
    words.push_back(0); // no menu
    words.push_back(0); // the system dialog class
    for (wchar_t c : title.empty() ? std::wstring(L"ZarnSweepProbe") : title)
        words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    return words;
}

// "<url>\n<name>\n<value>" into this process's cookie store. An HttpOnly cookie carries the attribute
// as a server's Set-Cookie would (WinINet takes it only with the flag); only readers that ask for
// HttpOnly cookies see it.
void SetTestCookie(const std::wstring& argument, bool httpOnly) {
    const size_t a = argument.find(L'\n');
    const size_t b = a == std::wstring::npos ? a : argument.find(L'\n', a + 1);
    if (b == std::wstring::npos)
        return;
    const std::wstring url = argument.substr(0, a);
    const std::wstring name = argument.substr(a + 1, b - a - 1);
    const std::wstring value = argument.substr(b + 1);
    if (httpOnly)
        ::InternetSetCookieExW(url.c_str(), name.c_str(), (value + L"; HttpOnly").c_str(),
                               INTERNET_COOKIE_HTTPONLY, 0);
    else
        ::InternetSetCookieW(url.c_str(), name.c_str(), value.c_str());
}

HWND CreateProbeBox(HWND owner, const std::wstring& title) {
    const std::vector<WORD> words = ProbeTemplate(title);
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                        reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                        ProbeBoxProc, 0);
}

void RunProbeBoxModal(HWND owner, const std::wstring& title) {
    const std::vector<WORD> words = ProbeTemplate(title);
    ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                              owner, ProbeBoxProc, 0);
}

// The next queued command of the host; false when none is left.
bool NextCommand(HWND host, std::wstring& command, BrowserHostKind& kind) {
    std::lock_guard<std::mutex> hold(HostsLock);
    const auto found = Hosts.find(host);
    if (found == Hosts.end() || found->second.Queue.empty())
        return false;
    command = std::move(found->second.Queue.front());
    found->second.Queue.pop_front();
    kind = found->second.Kind;
    return true;
}

void SetBoxOnClose(HWND host, const std::wstring& title) {
    std::lock_guard<std::mutex> hold(HostsLock);
    Hosts[host].BoxOnClose = title;
}

} // namespace

void BrowserHostCreated(HWND host, BrowserHostKind kind) {
    {
        std::lock_guard<std::mutex> hold(HostsLock);
        Hosts[host].Kind = kind;
    }
    if (kind == BrowserHostKind::PageDialog)
        ::SetPropW(host, PageDialogProperty, reinterpret_cast<HANDLE>(1));
}

bool AcceptBrowserCommand(HWND host, LPARAM copyData, UINT runMessage) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(copyData);
    if (!data || data->dwData != BrowserCommandData || !data->lpData)
        return false;
    {
        std::lock_guard<std::mutex> hold(HostsLock);
        Hosts[host].Queue.emplace_back(static_cast<const wchar_t*>(data->lpData),
                                       data->cbData / sizeof(wchar_t));
    }
    ::PostMessageW(host, runMessage, 0, 0);
    return true;
}

void BrowserHostDestroyed(HWND host) {
    std::wstring box;
    {
        std::lock_guard<std::mutex> hold(HostsLock);
        const auto found = Hosts.find(host);
        if (found == Hosts.end())
            return;
        box = found->second.BoxOnClose;
        Hosts.erase(found);
    }
    ::RemovePropW(host, PageDialogProperty);
    if (!box.empty())
        RunProbeBoxModal(nullptr, box); // the host is going, so the box has no owner
}

void RunBrowserCommands(HWND host, WebBrowserHost& browser) {
    std::wstring command;
    BrowserHostKind kind = BrowserHostKind::PageDialog;
    while (NextCommand(host, command, kind)) {
        while (!command.empty() && command.back() == L'\0')
            command.pop_back();
        const size_t split = command.find(L'\n');
        const std::wstring verb = command.substr(0, split);
        const std::wstring argument =
            split == std::wstring::npos ? std::wstring() : command.substr(split + 1);
        if (kind == BrowserHostKind::View && verb == L"boxonclose") {
            SetBoxOnClose(host, argument);
            continue;
        }
        if (verb == L"navigate") {
            browser.Navigate(argument);
            continue;
        }
        if (verb == L"box") {
            CreateProbeBox(host, argument);
            continue;
        }
        if (verb == L"cookie" || verb == L"httponlycookie") {
            SetTestCookie(argument, verb == L"httponlycookie");
            continue;
        }
        UniqueVariant text;
        text->vt = VT_BSTR;
        text->bstrVal = ::SysAllocString(argument.c_str());
        if (verb == L"title") {
            DISPPARAMS params{const_cast<VARIANT*>(&text.get()), nullptr, 1, 0};
            browser.Deliver(DISPID_TITLECHANGE, params);
            continue;
        }
        if (verb != L"complete" || !browser.Browser())
            continue;
        // As the control reports them: the frame (the browser itself) and the URL by reference.
        VARIANT args[2];
        ::VariantInit(&args[0]);
        ::VariantInit(&args[1]);
        args[0].vt = VT_VARIANT | VT_BYREF;
        args[0].pvarVal = const_cast<VARIANT*>(&text.get());
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = browser.Browser();
        DISPPARAMS params{args, nullptr, 2, 0};
        browser.Deliver(DISPID_NAVIGATECOMPLETE2, params);
        if (browser.Browser())
            browser.Deliver(DISPID_DOCUMENTCOMPLETE, params);
    }
}

} // namespace zarn::testbuild
