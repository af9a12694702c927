// The fake page, the window watch and the program-like loop of PageKeysTestSupport_win.h.
#include "support/PageKeysTestSupport_win.h"

#include "framework/Wnd.h"

namespace zarn::test {
namespace {
const wchar_t WatchProperty[] = L"ZarnTestKeyWindowWatch";
} // namespace

HRESULT FakeActiveObject::GetWindow(HWND* out) {
    if (out)
        *out = nullptr;
    return E_FAIL;
}

HRESULT FakeActiveObject::TranslateAccelerator(LPMSG msg) {
    if (!msg)
        return E_POINTER;
    Log.push_back({KeySeen::Page, msg->message, msg->wParam});
    return Takes.count(msg->wParam) ? S_OK : S_FALSE;
}

void* FakeActiveObject::QueryExtra(REFIID iid) {
    return ::IsEqualIID(iid, __uuidof(IOleWindow)) ? static_cast<IOleWindow*>(this) : nullptr;
}

KeyWindowWatch::KeyWindowWatch(HWND wnd, KeyLog& log) : Wnd(wnd), Log(log) {
    ::SetPropW(Wnd, WatchProperty, this);
    Previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeyWindowWatch::Proc)));
}

KeyWindowWatch::~KeyWindowWatch() {
    if (!::IsWindow(Wnd))
        return;
    ::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    ::RemovePropW(Wnd, WatchProperty);
}

LRESULT CALLBACK KeyWindowWatch::Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    auto* self = static_cast<KeyWindowWatch*>(::GetPropW(wnd, WatchProperty));
    if (!self)
        return ::DefWindowProcW(wnd, msg, w, l);
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_GETDLGCODE)
        self->Log.push_back({KeySeen::Window, msg, w});
    return ::CallWindowProcW(self->Previous, wnd, msg, w, l);
}

void PostKeyLikeTheUser(HWND wnd, UINT message, WPARAM key) {
    const UINT marker = ::RegisterWindowMessageW(L"ZarnTestKeyHandled");
    ::PostMessageW(wnd, message, key, 1);
    ::PostMessageW(wnd, marker, 0, 0);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 10000) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (msg.message == marker && msg.hwnd == wnd)
            return;
        if (CWnd::WalkPreTranslateTree(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

KeyLog SeenOf(const KeyLog& log, WPARAM key) {
    KeyLog seen;
    for (const KeySeen& entry : log)
        if (entry.Key == key)
            seen.push_back(entry);
    return seen;
}

} // namespace zarn::test
