// The WebBrowser host: control site, event sink and the control's creation and teardown.
#include "framework/WebBrowser.h"

#include <exdispid.h>

namespace zarn {

HRESULT CBrowserControlSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControlSite::GetContainer(IOleContainer** out) {
    if (out)
        *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CBrowserControlSite::GetWindow(HWND* out) {
    if (!out)
        return E_POINTER;
    *out = Owner ? Owner->SiteWindow() : nullptr;
    return *out ? S_OK : E_FAIL;
}

HRESULT CBrowserControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                              LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) {
        *frame = this;
        AddRef();
    }
    if (doc)
        *doc = nullptr;
    if (pos)
        *pos = Rect;
    if (clip)
        *clip = Rect;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = Owner ? Owner->SiteWindow() : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT CBrowserControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (object)
        object->AddRef();
    ActiveObject_ = ComPtr<IOleInPlaceActiveObject>::Attach(object);
    return S_OK;
}

HRESULT CBrowserControlSite::ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) {
    return Owner ? Owner->OnShowContextMenu(id, point, target, object) : S_OK;
}

HRESULT CBrowserControlSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    return Owner ? Owner->OnGetHostInfo(info) : S_OK;
}

HRESULT CBrowserControlSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key)
        *key = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControlSite::GetDropTarget(IDropTarget*, IDropTarget** out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControlSite::GetExternal(IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Owner ? Owner->OnGetExternal(out) : S_FALSE;
}

HRESULT CBrowserControlSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    if (out)
        *out = nullptr;
    return S_FALSE;
}

HRESULT CBrowserControlSite::FilterDataObject(IDataObject*, IDataObject** out) {
    if (out)
        *out = nullptr;
    return S_FALSE;
}

void* CBrowserControlSite::QueryExtra(REFIID iid) {
    if (::IsEqualIID(iid, __uuidof(IOleWindow)))
        return static_cast<IOleWindow*>(static_cast<IOleInPlaceSite*>(this));
    if (::IsEqualIID(iid, __uuidof(IOleInPlaceUIWindow)))
        return static_cast<IOleInPlaceUIWindow*>(this);
    return nullptr;
}

HRESULT BrowserEventSink::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT BrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT BrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                 UINT*) {
    if (!Target || !params)
        return S_OK;
    // The target may end the host (and with it this sink's last outside reference) while it runs.
    ComPtr<BrowserEventSink> self = ComPtr<BrowserEventSink>::Attach(this);
    AddRef();
    Target->OnBrowserEvent(id, *params);
    return S_OK;
}

void* BrowserEventSink::QueryExtra(REFIID iid) {
    // The control's connection point asks for its event interface.
    if (::IsEqualIID(iid, DIID_DWebBrowserEvents2))
        return static_cast<IDispatch*>(this);
    return nullptr;
}

bool WebBrowserHost::Create(HWND parent, const RECT& rect, ComPtr<CBrowserControlSite> site,
                            BrowserEventTarget& events) {
    if (Object_ || !site)
        return false;
    Site_ = std::move(site);
    Site_->SetRect(rect);
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IOleObject),
                                  Object_.put_void())) ||
        !Object_) {
        Destroy();
        return false;
    }
    if (FAILED(Object_->SetClientSite(Site_.get()))) {
        Destroy();
        return false;
    }
    if (ComPtr<IPersistStreamInit> persist = Object_.As<IPersistStreamInit>())
        persist->InitNew();
    RECT place = rect;
    if (FAILED(Object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site_.get(), 0, parent, &place))) {
        Destroy();
        return false;
    }
    Browser_ = Object_.As<IWebBrowser2>();
    if (!Browser_) {
        Destroy();
        return false;
    }
    Sink_ = MakeComObject<BrowserEventSink>(&events);
    Cookie_ = AdviseCookie::Connect(Browser_.get(), DIID_DWebBrowserEvents2, Sink_.get());
    Resize(rect);
    return true;
}

void WebBrowserHost::Destroy() {
    if (Object_) {
        if (ComPtr<IOleInPlaceObject> inPlace = Object_.As<IOleInPlaceObject>())
            inPlace->InPlaceDeactivate();
    }
    // The active object holds the site and the site holds it: the cycle ends here.
    if (Site_)
        Site_->SetActiveObject(nullptr, nullptr);
    Cookie_.reset();
    if (Sink_)
        Sink_->Disconnect();
    Sink_.reset();
    if (Object_) {
        Object_->SetClientSite(nullptr);
        Object_->Close(OLECLOSE_NOSAVE);
    }
    Browser_.reset();
    Object_.reset();
    if (Site_)
        Site_->Disconnect();
    Site_.reset();
}

void WebBrowserHost::Resize(const RECT& rect) {
    if (Site_)
        Site_->SetRect(rect);
    if (!Object_)
        return;
    if (ComPtr<IOleInPlaceObject> inPlace = Object_.As<IOleInPlaceObject>())
        inPlace->SetObjectRects(&rect, &rect);
}

HRESULT WebBrowserHost::Navigate(const std::wstring& url) {
    if (!Browser_)
        return E_FAIL;
    UniqueBstr text(::SysAllocString(url.c_str()));
    if (!text)
        return E_OUTOFMEMORY;
    VARIANT empty;
    ::VariantInit(&empty);
    return Browser_->Navigate(text.get(), &empty, &empty, &empty, &empty);
}

bool WebBrowserHost::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    // Held for the call: the object may hand over another (or none) while it translates.
    ComPtr<IOleInPlaceActiveObject> active;
    if (Site_)
        active = Site_->ActiveObject();
    if (!active && Object_)
        active = Object_.As<IOleInPlaceActiveObject>();
    return active && active->TranslateAccelerator(msg) == S_OK;
}

void WebBrowserHost::Deliver(DISPID id, DISPPARAMS& params) {
    if (Sink_)
        Sink_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

std::wstring VariantText(const VARIANT& value) {
    const VARIANT* v = &value;
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_BSTR && v->bstrVal)
        return std::wstring(v->bstrVal, ::SysStringLen(v->bstrVal));
    if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal && *v->pbstrVal)
        return std::wstring(*v->pbstrVal, ::SysStringLen(*v->pbstrVal));
    return {};
}

VARIANT_BOOL* VariantBoolRef(const VARIANT& value) {
    return value.vt == (VT_BOOL | VT_BYREF) ? value.pboolVal : nullptr;
}

bool ReadBeforeNavigate2(const DISPPARAMS& params, BeforeNavigateArguments& arguments) {
    if (params.cArgs < 7)
        return false;
    arguments.Cancel = VariantBoolRef(params.rgvarg[0]);
    if (!arguments.Cancel)
        return false;
    arguments.Frame = params.rgvarg[6].vt == VT_DISPATCH ? params.rgvarg[6].pdispVal : nullptr;
    arguments.Url = VariantText(params.rgvarg[5]);
    return true;
}

} // namespace zarn
