// CDHtmlDialog: a dialog whose client area is a WebBrowser control. Browser events reach the
// dialog through a per-class event map (chained to the base's); the document's mouse events reach
// it through GetDHtmlEventMap, by the source element's class or tag name.
#pragma once

#include <windows.h>
#include <mshtml.h>

#include <cstddef>
#include <memory>
#include <string>

#include "base/PageElement.h"
#include "framework/Dialog.h"
#include "framework/WebBrowser.h"

namespace zarn {

class CDHtmlDialog;

// One browser event of a class's event map and its handler.
struct BrowserEventEntry {
    DISPID Id;
    void (*Handle)(CDHtmlDialog& dialog, DISPPARAMS& params);
};
// A class's event map; Base is searched after it.
struct BrowserEventMap {
    const BrowserEventMap* Base;
    const BrowserEventEntry* Entries;
    size_t Count;
};

// A page element over the document's IHTMLElement.
std::shared_ptr<PageElement> WrapElement(IHTMLElement* element);

class CDHtmlDialog : public CDialog, public BrowserSiteOwner, public BrowserEventTarget {
  public:
    // htmlResourceId is kept for the pages a dialog would show from its resources; this program's
    // pages all come from URLs.
    CDHtmlDialog(UINT templateId, UINT htmlResourceId, HWND parent = nullptr);
    ~CDHtmlDialog() override;

    HRESULT Navigate(const std::wstring& url);
    IWebBrowser2* Browser() const { return Host_.Browser(); }
    WebBrowserHost& Host() { return Host_; }
    CBrowserControlSite* ControlSite() const { return Host_.Site(); }

    // A document event from `element`: the first matching entry of GetDHtmlEventMap gets it.
    // S_FALSE (the browser's default action is cancelled) when an entry took it, S_OK otherwise.
    HRESULT DispatchElementEvent(int32_t event, const std::shared_ptr<PageElement>& element);

    void OnBrowserEvent(DISPID id, DISPPARAMS& params) override;
    // The page has the first look at the dialog's key messages (the control's in-place active
    // object), then the dialog manager. A subclass whose own key rules come first tests them before
    // calling this.
    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

    virtual const BrowserEventMap* GetEventSinkMap() const;
    virtual ElementEventTable GetDHtmlEventMap() const { return {}; }
    // The handler of a table entry; S_FALSE cancels the browser's default action.
    virtual HRESULT OnElementAction(ElementAction, const std::shared_ptr<PageElement>&) { return S_FALSE; }
    virtual ComPtr<CBrowserControlSite> CreateControlSite();

    virtual void OnNavigateComplete(IDispatch* frame, const std::wstring& url);
    virtual void OnDocumentComplete(IDispatch* frame, const std::wstring& url);
    virtual void OnTitleChange(const std::wstring&) {}
    virtual BOOL CanAccessExternal() { return FALSE; }
    virtual BOOL IsExternalDispatchSafe() { return FALSE; }
    // IDocHostUIHandler, answered by the dialog.
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info);
    virtual HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

    // BrowserSiteOwner
    HWND SiteWindow() const override { return GetSafeHwnd(); }
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override { return GetHostInfo(info); }
    HRESULT OnShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override {
        return ShowContextMenu(id, point, target, object);
    }
    HRESULT OnGetExternal(IDispatch** out) override;

    // The document's body element, if there is a document.
    ComPtr<IHTMLElement> DocumentBody() const;

    // DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO unless a subclass changes it.
    DWORD HostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    UINT HtmlResourceId;

    // The base map: completion and title events, and no new windows.
    static const BrowserEventMap BaseEventMap;

  private:
    static void NavigateCompleteEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static void DocumentCompleteEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static void TitleChangeEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static void NewWindowEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static const BrowserEventEntry BaseEventEntries[];
    void ConnectDocumentEvents();

    WebBrowserHost Host_;
    ComPtr<IDispatch> DocumentSink_;
    AdviseCookie DocumentEvents_;
};

} // namespace zarn
