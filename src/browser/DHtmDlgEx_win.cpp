// CDHtmDlgEx and CMyBrowserControlSite: see DHtmDlgEx_win.h.
#include "browser/DHtmDlgEx_win.h"

#include <exdispid.h>

#include "browser/PageRules.h"

namespace zarn {

CDHtmDlgEx::CDHtmDlgEx() : CDHtmDlgEx(0, 0, nullptr) {}

CDHtmDlgEx::CDHtmDlgEx(UINT templateId, UINT htmlResourceId, HWND parent)
    : CDHtmlDialog(templateId, htmlResourceId, parent), Capture_(*this), Buttons(Capture_) {}

CDHtmDlgEx::~CDHtmDlgEx() {
    DestroyWindow();
    Buttons.Reset();
}

const BrowserEventEntry CDHtmDlgEx::EventEntries[] = {
    {DISPID_BEFORENAVIGATE2, CDHtmDlgEx::BeforeNavigateEvent},
    {DISPID_NAVIGATEERROR, CDHtmDlgEx::NavigateErrorEvent},
};
const BrowserEventMap CDHtmDlgEx::EventMap = {&CDHtmlDialog::BaseEventMap, CDHtmDlgEx::EventEntries,
                                              sizeof(CDHtmDlgEx::EventEntries) / sizeof(BrowserEventEntry)};

const BrowserEventMap* CDHtmDlgEx::GetEventSinkMap() const {
    return &EventMap;
}

void CDHtmDlgEx::BeforeNavigateEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    BeforeNavigateArguments arguments;
    if (ReadBeforeNavigate2(params, arguments))
        static_cast<CDHtmDlgEx&>(dialog).OnBeforeNavigate2(arguments.Frame, arguments.Url, arguments.Cancel);
}

// NavigateError: frame, URL, target frame, status code, cancel (arguments reversed).
void CDHtmDlgEx::NavigateErrorEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    if (params.cArgs < 5)
        return;
    VARIANT_BOOL* cancelArg = VariantBoolRef(params.rgvarg[0]);
    if (!cancelArg)
        return;
    IDispatch* frame = params.rgvarg[4].vt == VT_DISPATCH ? params.rgvarg[4].pdispVal : nullptr;
    BOOL cancel = *cancelArg != VARIANT_FALSE;
    static_cast<CDHtmDlgEx&>(dialog).OnNavigateError(frame, &params.rgvarg[3], &params.rgvarg[2],
                                                     &params.rgvarg[1], &cancel);
    *cancelArg = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

void CDHtmDlgEx::OnBeforeNavigate2(IDispatch*, const std::wstring& url, VARIANT_BOOL* cancel) {
    if (IsAppUrl(url)) {
        *cancel = VARIANT_TRUE;
        return;
    }
    if (IsJavascriptUrl(url)) {
        *cancel = VARIANT_FALSE;
        return;
    }
    if (!IsAllowedPageScheme(url))
        *cancel = VARIANT_TRUE;
}

BOOL CDHtmDlgEx::OnNavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT*, BOOL* cancel) {
    if (cancel)
        *cancel = TRUE;
    return TRUE;
}

HRESULT CDHtmDlgEx::OnShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) {
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) {
    return S_FALSE;
}

void CDHtmDlgEx::SetSilent() {
    if (Browser())
        Browser()->put_Silent(VARIANT_TRUE);
}

BOOL CDHtmDlgEx::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    SetSilent();
    return TRUE;
}

void CDHtmDlgEx::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    CDHtmlDialog::OnNavigateComplete(frame, url);
    ComPtr<IHTMLElement> body = DocumentBody();
    if (!body)
        return;
    if (ComPtr<IHTMLBodyElement> element = body.As<IHTMLBodyElement>()) {
        UniqueBstr autoScroll(::SysAllocString(L"auto"));
        element->put_scroll(autoScroll.get());
    }
}

HRESULT CDHtmDlgEx::GetHostInfo(DOCHOSTUIINFO* info) {
    CDHtmlDialog::GetHostInfo(info);
    info->dwFlags |= DOCHOSTUIFLAG_DIALOG;
    return S_OK;
}

void CDHtmDlgEx::DragByBody(UINT ncMessage) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    SendMessage(ncMessage, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}

HRESULT CDHtmDlgEx::OnElementAction(ElementAction action, const std::shared_ptr<PageElement>& element) {
    switch (action) {
    case ElementAction::ShowButtonNormal:
        ShowButtonNormal(*element);
        break;
    case ElementAction::ShowButtonHover:
        ShowButtonHover(*element);
        break;
    case ElementAction::ShowButtonPressed:
        ShowButtonPressed(element);
        break;
    case ElementAction::ReleaseButton:
        ReleaseButton(*element);
        break;
    case ElementAction::DragDown:
        DragByBody(WM_NCLBUTTONDOWN);
        break;
    case ElementAction::DragUp:
        DragByBody(WM_NCLBUTTONUP);
        break;
    case ElementAction::DragMove:
        DragByBody(WM_NCMOUSEMOVE);
        break;
    case ElementAction::Nothing:
        break;
    }
    return S_FALSE;
}

LRESULT CDHtmDlgEx::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && ::GetCapture() == GetSafeHwnd() && GetSafeHwnd()) {
        const POINT point = PointFromLParam(l);
        Buttons.OnButtonUp(point.x, point.y);
        return 0;
    }
    if (msg == WM_DESTROY)
        Buttons.Reset();
    return CDHtmlDialog::WindowProc(msg, w, l);
}

ComPtr<CBrowserControlSite> CDHtmDlgEx::CreateControlSite() {
    return ComPtr<CBrowserControlSite>::Attach(new CMyBrowserControlSite(this));
}

bool CDHtmDlgEx::WindowCapture::Held() const {
    return Dialog.GetSafeHwnd() && ::GetCapture() == Dialog.GetSafeHwnd();
}

void CDHtmDlgEx::WindowCapture::Take() {
    if (Dialog.GetSafeHwnd())
        ::SetCapture(Dialog.GetSafeHwnd());
}

void CDHtmDlgEx::WindowCapture::Release() {
    ::ReleaseCapture();
}

CMyBrowserControlSite::CMyBrowserControlSite(CDHtmlDialog* owner)
    : CBrowserControlSite(owner), ShowUi_(*this) {}

void* CMyBrowserControlSite::QueryExtra(REFIID iid) {
    if (::IsEqualIID(iid, __uuidof(IDocHostShowUI)))
        return static_cast<IDocHostShowUI*>(&ShowUi_);
    return CBrowserControlSite::QueryExtra(iid);
}

CDHtmDlgEx* CMyBrowserControlSite::ExOwner() const {
    return dynamic_cast<CDHtmDlgEx*>(GetOwner());
}

HRESULT CMyBrowserControlSite::ShowUi::ShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type,
                                                   LPOLESTR helpFile, DWORD helpContext, LRESULT* result) {
    if (CDHtmDlgEx* owner = Site.ExOwner())
        return owner->OnShowMessage(wnd, text, caption, type, helpFile, helpContext, result);
    return S_OK;
}

HRESULT CMyBrowserControlSite::ShowUi::ShowHelp(HWND wnd, LPOLESTR helpFile, UINT command, DWORD data,
                                                POINT point, IDispatch* hit) {
    if (CDHtmDlgEx* owner = Site.ExOwner())
        return owner->OnShowHelp(wnd, helpFile, command, data, point, hit);
    return S_OK;
}

} // namespace zarn
