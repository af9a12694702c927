// The WebBrowser control hosted without ATL: a reference-counted control site (client site,
// in-place site and frame, document host UI handler), a separate event sink for
// DWebBrowserEvents2, and the host that creates and tears them down in the right order.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <string>

#include "framework/Com.h"

namespace zarn {

// What the control site asks of the window that hosts the control.
class BrowserSiteOwner {
  public:
    virtual HWND SiteWindow() const = 0;
    virtual HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) = 0;
    virtual HRESULT OnShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) = 0;
    virtual HRESULT OnGetExternal(IDispatch** out) = 0;

  protected:
    ~BrowserSiteOwner() = default;
};

// Receives the control's DWebBrowserEvents2 by DISPID.
class BrowserEventTarget {
  public:
    virtual void OnBrowserEvent(DISPID id, DISPPARAMS& params) = 0;

  protected:
    ~BrowserEventTarget() = default;
};

// The control site: every IDocHostUIHandler call goes to the owner while it is connected.
class CBrowserControlSite
    : public ComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IDocHostUIHandler> {
  public:
    explicit CBrowserControlSite(BrowserSiteOwner* owner) : Owner(owner) {}

    // The owner is going: later calls from the control get the defaults, and the active object the
    // control handed over is let go.
    void Disconnect() {
        Owner = nullptr;
        ActiveObject_.reset();
    }
    BrowserSiteOwner* GetOwner() const { return Owner; }
    // The in-place active object the control last handed over (SetActiveObject), if any.
    ComPtr<IOleInPlaceActiveObject> ActiveObject() const { return ActiveObject_; }
    // Where the control lies in the owner's client area.
    void SetRect(const RECT& rect) { Rect = rect; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (both of the in-place site and of the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceUIWindow, IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    // Of the frame and of the document window alike: the control's object that translates its keys.
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                              IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** out) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override;

  protected:
    ~CBrowserControlSite() override = default;
    // IOleWindow and IOleInPlaceUIWindow, which the listed interfaces derive from.
    void* QueryExtra(REFIID iid) override;

    BrowserSiteOwner* Owner;
    RECT Rect{};

  private:
    ComPtr<IOleInPlaceActiveObject> ActiveObject_;
};

// The DWebBrowserEvents2 sink: an IDispatch of its own (the control reads ambient properties through
// the site's interfaces, so the sink must not be the site).
class BrowserEventSink : public ComObject<IDispatch> {
  public:
    explicit BrowserEventSink(BrowserEventTarget* target) : Target(target) {}
    void Disconnect() { Target = nullptr; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

  protected:
    ~BrowserEventSink() override = default;
    void* QueryExtra(REFIID iid) override;

  private:
    BrowserEventTarget* Target;
};

// One hosted control. Create in-place activates it in the parent's client area; Destroy (also run
// by the destructor) deactivates, unadvises, detaches the site, closes and releases, in that order.
class WebBrowserHost {
  public:
    WebBrowserHost() = default;
    ~WebBrowserHost() { Destroy(); }
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    bool Create(HWND parent, const RECT& rect, ComPtr<CBrowserControlSite> site, BrowserEventTarget& events);
    void Destroy();
    bool IsCreated() const { return static_cast<bool>(Browser_); }

    void Resize(const RECT& rect);
    HRESULT Navigate(const std::wstring& url);
    IWebBrowser2* Browser() const { return Browser_.get(); }
    CBrowserControlSite* Site() const { return Site_.get(); }
    bool EventsConnected() const { return static_cast<bool>(Cookie_); }
    // Hands an event to the sink exactly as the control would.
    void Deliver(DISPID id, DISPPARAMS& params);
    // Gives a key message (WM_KEYFIRST to WM_KEYLAST) to the control's in-place active object, the
    // one it handed the site or else its own, as a container must before it handles keys itself:
    // the page's Tab, Enter, editing keys and its own shortcuts depend on it. True when the object
    // took the message (S_OK); it is then neither translated nor dispatched.
    bool TranslateAccelerator(MSG* msg);

  private:
    ComPtr<IOleObject> Object_;
    ComPtr<IWebBrowser2> Browser_;
    ComPtr<CBrowserControlSite> Site_;
    ComPtr<BrowserEventSink> Sink_;
    AdviseCookie Cookie_;
};

// The text of a BSTR argument (given directly or through a VARIANT reference); empty otherwise.
std::wstring VariantText(const VARIANT& value);
// The VARIANT_BOOL a by-reference boolean argument points to; null when it is no such argument.
VARIANT_BOOL* VariantBoolRef(const VARIANT& value);

// The arguments of DWebBrowserEvents2::BeforeNavigate2 (given in reverse: frame, URL, flags, target
// frame, post data, headers, cancel); false when they are not all there or the cancel flag is missing.
struct BeforeNavigateArguments {
    IDispatch* Frame = nullptr;
    std::wstring Url;
    VARIANT_BOOL* Cancel = nullptr;
};
bool ReadBeforeNavigate2(const DISPPARAMS& params, BeforeNavigateArguments& arguments);

} // namespace zarn
