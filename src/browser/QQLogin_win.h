// The QQ and Weibo sign-in window: a skinned container (CQQLogin) around the provider's pages
// (CQQHtml). As soon as a callback or binding page of the sign-in host completes with the portal's
// "Pauth" cookie set, the window closes itself; the login page shares the cookie store.
#pragma once

#include <windows.h>

#include <string>

#include "framework/HtmlDialog.h"
#include "skin/DlgEx_win.h"

namespace zarn {

// The top-level dialog last visited by the sweep timer (none at first).
extern HWND LastSweptDialog;

class CQQHtml : public CDHtmlDialog {
  public:
    enum : UINT_PTR { DialogSweepTimer = 1 };
    CQQHtml();
    ~CQQHtml() override;

    std::wstring StartUrl; // the authorisation redirect, set before the window exists

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    const BrowserEventMap* GetEventSinkMap() const override;
    BOOL OnInitDialog() override;
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    ElementEventTable GetDHtmlEventMap() const override { return {}; }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    // Closing hides the page (a modeless dialog's end), so its sweep timer keeps running.
    void OnCancel() override { ::EndDialog(GetSafeHwnd(), IDCANCEL); }
    void OnOK() override {}

    virtual void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, VARIANT_BOOL* cancel);

  private:
    static void BeforeNavigateEvent(CDHtmlDialog& dialog, DISPPARAMS& params);
    static const BrowserEventEntry EventEntries[];
    static const BrowserEventMap EventMap;
    void SweepOnce();
};

class CQQLogin : public CDlgEx {
  public:
    CQQLogin();
    ~CQQLogin() override;

    CQQHtml AuthPage;

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
};

// Enter and Esc never reach the sign-in windows.
bool IsSwallowedSignInKey(const MSG& msg);

} // namespace zarn
