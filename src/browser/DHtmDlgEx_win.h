// CDHtmDlgEx: the HTML dialog that looks like a skinned window: no context menu, no script error
// boxes, picture buttons drawn from the page's images, dragging by the page background, and the
// page's "app:" navigations read as commands instead of loaded. CMyBrowserControlSite adds the
// browser's message-box requests (IDocHostShowUI) to the control site.
#pragma once

#include <windows.h>

#include <memory>

#include "browser/PictureButtons.h"
#include "framework/HtmlDialog.h"

namespace zarn {

class CDHtmDlgEx : public CDHtmlDialog {
    // The dialog window's mouse capture, for the picture buttons (declared first: they keep it).
    class WindowCapture final : public MouseCapture {
      public:
        explicit WindowCapture(const CDHtmDlgEx& dialog) : Dialog(dialog) {}
        bool Held() const override;
        void Take() override;
        void Release() override;

      private:
        const CDHtmDlgEx& Dialog;
    };
    WindowCapture Capture_;

  public:
    CDHtmDlgEx();
    CDHtmDlgEx(UINT templateId, UINT htmlResourceId, HWND parent);
    ~CDHtmDlgEx() override;

    // The picture buttons and their pressed element (PressedElement: Buttons.Pressed()).
    PictureButtons Buttons;

    // The three operations pages of this kind may refine.
    // A navigation error: the browser's error page is never shown (cancel, TRUE).
    virtual BOOL OnNavigateError(IDispatch* frame, VARIANT* url, VARIANT* targetFrame, VARIANT* statusCode,
                                 BOOL* cancel);
    // A message box the browser wants to show; S_FALSE lets the browser show its own.
    virtual HRESULT OnShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                                  DWORD helpContext, LRESULT* result);
    virtual HRESULT OnShowHelp(HWND wnd, LPOLESTR helpFile, UINT command, DWORD data, POINT point,
                               IDispatch* hit);

    void ShowButtonNormal(PageElement& element) { Buttons.ShowNormal(element); }
    void ShowButtonHover(PageElement& element) { Buttons.ShowHover(element); }
    void ShowButtonPressed(const std::shared_ptr<PageElement>& element) { Buttons.ShowPressed(element); }
    void ReleaseButton(PageElement& element) { Buttons.Release(element); }
    // Starts, continues or ends the system's window move from the cursor's screen position.
    void DragByBody(UINT ncMessage);

  protected:
    // BeforeNavigate2 of this dialog: "app:" is cancelled, "javascript" never is, anything a page
    // may not open (PageRules: IsAllowedPageScheme) is cancelled, the rest as the browser says.
    virtual void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, VARIANT_BOOL* cancel);

    const BrowserEventMap* GetEventSinkMap() const override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    ComPtr<CBrowserControlSite> CreateControlSite() override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    BOOL CanAccessExternal() override { return TRUE; }
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    BOOL IsExternalDispatchSafe() override { return TRUE; }
    HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
    HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
    ElementEventTable GetDHtmlEventMap() const override { return DialogElementEvents(); }
    HRESULT OnElementAction(ElementAction action, const std::shared_ptr<PageElement>& element) override;

    // Browser Silent on: the browser shows no boxes of its own.
    void SetSilent();

    static const BrowserEventMap EventMap;

  private:
    static void BeforeNavigateEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static void NavigateErrorEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static const BrowserEventEntry EventEntries[];
};

// The control site of CDHtmDlgEx's kind of dialog: IDocHostShowUI besides the base's interfaces.
class CMyBrowserControlSite : public CBrowserControlSite {
  public:
    explicit CMyBrowserControlSite(CDHtmlDialog* owner);

  protected:
    void* QueryExtra(REFIID iid) override;

  private:
    // IDocHostShowUI as a part of the site: its IUnknown is the site's.
    class ShowUi final : public IDocHostShowUI {
      public:
        explicit ShowUi(CMyBrowserControlSite& site) : Site(site) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            return Site.QueryInterface(iid, out);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return Site.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return Site.Release(); }
        HRESULT STDMETHODCALLTYPE ShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type,
                                              LPOLESTR helpFile, DWORD helpContext, LRESULT* result) override;
        HRESULT STDMETHODCALLTYPE ShowHelp(HWND wnd, LPOLESTR helpFile, UINT command, DWORD data, POINT point,
                                           IDispatch* hit) override;

      private:
        CMyBrowserControlSite& Site;
    };

    // The owner when it is a CDHtmDlgEx still connected; null otherwise.
    CDHtmDlgEx* ExOwner() const;

    ShowUi ShowUi_;
};

} // namespace zarn
