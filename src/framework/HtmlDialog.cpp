// CDHtmlDialog: the browser control in a dialog, its event maps and the document's element events.
#include "framework/HtmlDialog.h"

#include <exdispid.h>

#include "testbuild/BrowserTestCommands_win.h"

namespace zarn {
namespace {

constexpr UINT RunTestCommandsMessage = WM_APP + 0x7A1;
// HTMLDocumentEvents2 (the import library lacks it).
constexpr GUID HtmlDocumentEvents2 = {
    0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

// Reads and writes one IHTMLElement; every missing piece reads as empty or zero.
class HtmlElement final : public PageElement {
  public:
    explicit HtmlElement(IHTMLElement* element) : Element(ComPtr<IHTMLElement>::Attach(element)) {
        if (element)
            element->AddRef();
    }
    std::wstring ClassName() const override { return Text(&IHTMLElement::get_className); }
    std::wstring TagName() const override { return Text(&IHTMLElement::get_tagName); }
    bool IsDisabled() const override {
        UniqueBstr name(::SysAllocString(L"disabled"));
        UniqueVariant value;
        if (!Element || !name || FAILED(Element->getAttribute(name.get(), 0, value.put())))
            return false;
        return value.get().vt == VT_BOOL && value.get().boolVal != VARIANT_FALSE;
    }
    int OffsetLeft() const override { return Number(&IHTMLElement::get_offsetLeft); }
    int OffsetTop() const override { return Number(&IHTMLElement::get_offsetTop); }
    int OffsetWidth() const override { return Number(&IHTMLElement::get_offsetWidth); }
    int OffsetHeight() const override { return Number(&IHTMLElement::get_offsetHeight); }
    bool SetBackgroundPositionX(int pixels) override {
        ComPtr<IHTMLStyle> style;
        if (!Element || FAILED(Element->get_style(style.put())) || !style)
            return false;
        VARIANT x;
        ::VariantInit(&x);
        x.vt = VT_I4;
        x.lVal = pixels;
        return SUCCEEDED(style->put_backgroundPositionX(x));
    }
    void Click() override {
        if (Element)
            Element->click();
    }

  private:
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IHTMLElement::*get)(BSTR*)) const {
        UniqueBstr value;
        if (!Element || FAILED((Element.get()->*get)(value.put())) || !value)
            return {};
        return std::wstring(value.get(), ::SysStringLen(value.get()));
    }
    int Number(HRESULT (STDMETHODCALLTYPE IHTMLElement::*get)(long*)) const {
        long value = 0;
        if (!Element || FAILED((Element.get()->*get)(&value)))
            return 0;
        return static_cast<int>(value);
    }
    ComPtr<IHTMLElement> Element;
};

// The document's events: each one's source element goes through the dialog's element table.
class DocumentEventSink final : public ComObject<IDispatch> {
  public:
    explicit DocumentEventSink(CDHtmlDialog* dialog) : Dialog(dialog) {}
    void Disconnect() { Dialog = nullptr; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!Dialog || !params || params->cArgs < 1 || params->rgvarg[0].vt != VT_DISPATCH ||
            !params->rgvarg[0].pdispVal)
            return S_OK;
        ComPtr<IHTMLEventObj> event;
        params->rgvarg[0].pdispVal->QueryInterface(__uuidof(IHTMLEventObj), event.put_void());
        ComPtr<IHTMLElement> source;
        if (!event || FAILED(event->get_srcElement(source.put())) || !source)
            return S_OK;
        if (Dialog->DispatchElementEvent(static_cast<int32_t>(id), WrapElement(source.get())) != S_FALSE)
            return S_OK;
        // Handled: the browser's default action (a context menu, a text selection) does not happen.
        VARIANT no;
        ::VariantInit(&no);
        no.vt = VT_BOOL;
        no.boolVal = VARIANT_FALSE;
        event->put_returnValue(no);
        if (result) {
            ::VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_FALSE;
        }
        return S_OK;
    }

  protected:
    void* QueryExtra(REFIID iid) override {
        return ::IsEqualIID(iid, HtmlDocumentEvents2) ? static_cast<IDispatch*>(this) : nullptr;
    }

  private:
    CDHtmlDialog* Dialog;
};

IDispatch* FrameArgument(const VARIANT& value) {
    return value.vt == VT_DISPATCH ? value.pdispVal : nullptr;
}

// Whether two interface pointers belong to one object (COM identity).
bool SameObject(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return false;
    ComPtr<IUnknown> left;
    ComPtr<IUnknown> right;
    a->QueryInterface(__uuidof(IUnknown), left.put_void());
    b->QueryInterface(__uuidof(IUnknown), right.put_void());
    return left && left.get() == right.get();
}

} // namespace

void CDHtmlDialog::NavigateCompleteEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    if (params.cArgs >= 2)
        dialog.OnNavigateComplete(FrameArgument(params.rgvarg[1]), VariantText(params.rgvarg[0]));
}

void CDHtmlDialog::DocumentCompleteEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    if (params.cArgs < 2)
        return;
    IDispatch* frame = FrameArgument(params.rgvarg[1]);
    // Only the top document's events: a frame's document says nothing about the page.
    if (SameObject(frame, dialog.Browser()))
        dialog.ConnectDocumentEvents();
    dialog.OnDocumentComplete(frame, VariantText(params.rgvarg[0]));
}

void CDHtmlDialog::TitleChangeEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    if (params.cArgs >= 1)
        dialog.OnTitleChange(VariantText(params.rgvarg[0]));
}

// A page never opens windows of its own: they would start the system's browser outside the program.
void CDHtmlDialog::NewWindowEvent(CDHtmlDialog&, DISPPARAMS& params) {
    for (UINT i = 0; i < params.cArgs; ++i) {
        if (VARIANT_BOOL* cancel = VariantBoolRef(params.rgvarg[i])) {
            *cancel = VARIANT_TRUE;
            return;
        }
    }
}

const BrowserEventEntry CDHtmlDialog::BaseEventEntries[] = {
    {DISPID_NAVIGATECOMPLETE2, CDHtmlDialog::NavigateCompleteEvent},
    {DISPID_DOCUMENTCOMPLETE, CDHtmlDialog::DocumentCompleteEvent},
    {DISPID_TITLECHANGE, CDHtmlDialog::TitleChangeEvent},
    {DISPID_NEWWINDOW2, CDHtmlDialog::NewWindowEvent},
    {DISPID_NEWWINDOW3, CDHtmlDialog::NewWindowEvent},
};
const BrowserEventMap CDHtmlDialog::BaseEventMap = {nullptr, CDHtmlDialog::BaseEventEntries,
                                                    sizeof(CDHtmlDialog::BaseEventEntries) /
                                                        sizeof(BrowserEventEntry)};

std::shared_ptr<PageElement> WrapElement(IHTMLElement* element) {
    return std::make_shared<HtmlElement>(element);
}

CDHtmlDialog::CDHtmlDialog(UINT templateId, UINT htmlResourceId, HWND parent)
    : CDialog(templateId, parent), HtmlResourceId(htmlResourceId) {}

CDHtmlDialog::~CDHtmlDialog() {
    DestroyWindow();
    Host_.Destroy();
}

const BrowserEventMap* CDHtmlDialog::GetEventSinkMap() const {
    return &BaseEventMap;
}

void CDHtmlDialog::OnBrowserEvent(DISPID id, DISPPARAMS& params) {
    for (const BrowserEventMap* map = GetEventSinkMap(); map; map = map->Base) {
        for (size_t i = 0; i < map->Count; ++i) {
            if (map->Entries[i].Id == id) {
                map->Entries[i].Handle(*this, params);
                return;
            }
        }
    }
}

BOOL CDHtmlDialog::PreTranslateMessage(MSG* msg) {
    const HWND wnd = GetSafeHwnd();
    if (wnd && (msg->hwnd == wnd || ::IsChild(wnd, msg->hwnd)) && Host_.TranslateAccelerator(msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

HRESULT CDHtmlDialog::DispatchElementEvent(int32_t event, const std::shared_ptr<PageElement>& element) {
    if (!element)
        return S_OK;
    const ElementEventEntry* entry =
        FindElementEvent(GetDHtmlEventMap(), event, element->ClassName(), element->TagName());
    if (!entry)
        return S_OK;
    OnElementAction(entry->Action, element);
    return S_FALSE;
}

ComPtr<CBrowserControlSite> CDHtmlDialog::CreateControlSite() {
    return MakeComObject<CBrowserControlSite>(this);
}

BOOL CDHtmlDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    const RECT client = GetClientRect();
    Host_.Create(GetSafeHwnd(), client, CreateControlSite(), *this);
    testbuild::BrowserHostCreated(GetSafeHwnd(), testbuild::BrowserHostKind::PageDialog);
    return TRUE;
}

HRESULT CDHtmlDialog::Navigate(const std::wstring& url) {
    return Host_.Navigate(url);
}

void CDHtmlDialog::OnNavigateComplete(IDispatch*, const std::wstring&) {}
void CDHtmlDialog::OnDocumentComplete(IDispatch*, const std::wstring&) {}

HRESULT CDHtmlDialog::GetHostInfo(DOCHOSTUIINFO* info) {
    info->dwFlags = HostFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CDHtmlDialog::OnGetExternal(IDispatch** out) {
    // The dialog offers the page no object of its own.
    *out = nullptr;
    return S_FALSE;
}

ComPtr<IHTMLElement> CDHtmlDialog::DocumentBody() const {
    ComPtr<IHTMLElement> body;
    ComPtr<IDispatch> document;
    if (!Browser() || FAILED(Browser()->get_Document(document.put())) || !document)
        return body;
    ComPtr<IHTMLDocument2> html = document.As<IHTMLDocument2>();
    if (html)
        html->get_body(body.put());
    return body;
}

void CDHtmlDialog::ConnectDocumentEvents() {
    DocumentEvents_.reset();
    if (DocumentSink_)
        static_cast<DocumentEventSink*>(DocumentSink_.get())->Disconnect();
    DocumentSink_.reset();
    ComPtr<IDispatch> document;
    if (!Browser() || FAILED(Browser()->get_Document(document.put())) || !document)
        return;
    ComPtr<DocumentEventSink> sink = MakeComObject<DocumentEventSink>(this);
    DocumentEvents_ = AdviseCookie::Connect(document.get(), HtmlDocumentEvents2, sink.get());
    DocumentSink_ = ComPtr<IDispatch>::Attach(sink.get());
    sink.get()->AddRef();
}

LRESULT CDHtmlDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_SIZE: {
        const LRESULT result = CDialog::WindowProc(msg, w, l);
        Host_.Resize(GetClientRect());
        return result;
    }
    case WM_DESTROY:
        DocumentEvents_.reset();
        if (DocumentSink_)
            static_cast<DocumentEventSink*>(DocumentSink_.get())->Disconnect();
        DocumentSink_.reset();
        Host_.Destroy();
        testbuild::BrowserHostDestroyed(GetSafeHwnd());
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
    return CDialog::WindowProc(msg, w, l);
}

} // namespace zarn
