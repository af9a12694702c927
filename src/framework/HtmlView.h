// CHtmlView: a view whose client area is a WebBrowser control. The browser's events reach virtual
// handlers; the control site asks the view for its host flags.
#pragma once

#include <windows.h>

#include <string>

#include "framework/DocView.h"
#include "framework/WebBrowser.h"

namespace zarn {

class CHtmlView : public CView, public BrowserSiteOwner, public BrowserEventTarget {
  public:
    ~CHtmlView() override { DestroyWindow(); }

    IWebBrowser2* GetBrowser() const { return Host_.Browser(); }
    HRESULT Navigate2(const std::wstring& url);
    // Reloads the page; false when there is no control.
    bool Refresh();
    // No script-error or other message boxes of the browser's own.
    void SetSilent(bool silent);

    void OnBrowserEvent(DISPID id, DISPPARAMS& params) override;
    // A key message in the view goes to the frames around it first (their own keys), then to the
    // page (the control's in-place active object); TRUE when one of them took it.
    BOOL PreTranslateMessage(MSG* msg) override;
    CBrowserControlSite* ControlSite() const { return Host_.Site(); }

    // BrowserSiteOwner
    HWND SiteWindow() const override { return GetSafeHwnd(); }
    HRESULT OnGetHostInfo(DOCHOSTUIINFO*) override { return E_NOTIMPL; }
    HRESULT OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    HRESULT OnGetExternal(IDispatch** out) override;

  protected:
    // WM_CREATE: the window, then the control in its client area; -1 when the control is missing.
    virtual int OnCreate(CREATESTRUCTW* cs);
    virtual void OnNavigateComplete2(const std::wstring&) {}
    // *cancel = VARIANT_TRUE stops the navigation.
    virtual void OnBeforeNavigate2(const std::wstring&, VARIANT_BOOL*) {}
    virtual void OnTitleChange(const std::wstring&) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    WebBrowserHost Host_;
};

} // namespace zarn
