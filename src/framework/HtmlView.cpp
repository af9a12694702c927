// CHtmlView: the browser control hosted in a view.
#include "framework/HtmlView.h"

#include <exdispid.h>

#include "testbuild/BrowserTestCommands_win.h"

namespace zarn {
namespace {
constexpr UINT RunTestCommandsMessage = WM_APP + 0x7A2;
} // namespace

HRESULT CHtmlView::Navigate2(const std::wstring& url) {
    return Host_.Navigate(url);
}

bool CHtmlView::Refresh() {
    return Host_.Browser() && SUCCEEDED(Host_.Browser()->Refresh());
}

void CHtmlView::SetSilent(bool silent) {
    if (Host_.Browser())
        Host_.Browser()->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT CHtmlView::OnGetExternal(IDispatch** out) {
    *out = nullptr;
    return S_FALSE;
}

void CHtmlView::OnBrowserEvent(DISPID id, DISPPARAMS& params) {
    switch (id) {
    case DISPID_BEFORENAVIGATE2: {
        BeforeNavigateArguments arguments;
        if (ReadBeforeNavigate2(params, arguments))
            OnBeforeNavigate2(arguments.Url, arguments.Cancel);
        return;
    }
    case DISPID_NAVIGATECOMPLETE2:
        if (params.cArgs >= 2)
            OnNavigateComplete2(VariantText(params.rgvarg[0]));
        return;
    case DISPID_TITLECHANGE:
        if (params.cArgs >= 1)
            OnTitleChange(VariantText(params.rgvarg[0]));
        return;
    default:
        return; // new windows, errors and the rest: the browser's own behaviour
    }
}

BOOL CHtmlView::PreTranslateMessage(MSG* msg) {
    const HWND wnd = GetSafeHwnd();
    if (!wnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST ||
        (msg->hwnd != wnd && !::IsChild(wnd, msg->hwnd)))
        return FALSE;
    // A frame that leaves the key alone is asked again by the walk up from the view; its filters
    // take a key or do nothing, so asking twice changes nothing.
    for (HWND up = ::GetParent(wnd); up && IsWindowOfThisProcess(up); up = ::GetParent(up)) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(up));
            frame && frame->PreTranslateMessage(msg))
            return TRUE;
    }
    return Host_.TranslateAccelerator(msg) ? TRUE : FALSE;
}

int CHtmlView::OnCreate(CREATESTRUCTW* cs) {
    const LRESULT created = CView::WindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(cs));
    if (created == -1)
        return -1;
    if (!Host_.Create(GetSafeHwnd(), GetClientRect(), MakeComObject<CBrowserControlSite>(this), *this))
        return -1;
    testbuild::BrowserHostCreated(GetSafeHwnd(), testbuild::BrowserHostKind::View);
    return 0;
}

LRESULT CHtmlView::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(l));
    case WM_SIZE: {
        const LRESULT result = CView::WindowProc(msg, w, l);
        Host_.Resize(GetClientRect());
        return result;
    }
    case WM_DESTROY:
        testbuild::BrowserHostDestroyed(GetSafeHwnd());
        Host_.Destroy();
        break;
    case WM_COPYDATA:
        if (testbuild::AcceptBrowserCommand(GetSafeHwnd(), l, RunTestCommandsMessage))
            return TRUE;
        break;
    case RunTestCommandsMessage:
        testbuild::RunBrowserCommands(GetSafeHwnd(), Host_);
        return 0;
    default:
        break;
    }
    return CView::WindowProc(msg, w, l);
}

} // namespace zarn
