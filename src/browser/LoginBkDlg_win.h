// The login of a new game window: a backdrop picture with per-pixel alpha (CLoginBkDlg) and, over
// it, the portal's login page (CLoginDlg) whose background colour is keyed out. The page's app:
// commands end the login; a loadgame the launcher accepts gives IDOK with GameUrl set.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "browser/DHtmDlgEx_win.h"
#include "browser/PageRules.h"
#include "browser/QQLogin_win.h"
#include "framework/Com.h"

namespace Gdiplus {
class Image;
}

namespace zarn {

// Runs the login modally, owned by the launcher window; IDOK once an account logged in.
INT_PTR RunLoginBackdrop(HWND launcher);

// Whether User Account Control is on: Windows after XP and the policy value "EnableLUA" is 1.
bool IsUacEnabled();

// The payload of a loadgame command as the login reads it: unescaped (when it holds "%") through
// the ANSI code page. A payload longer than the code page's 255 bytes is cut after the last whole
// character that fits, never inside a double-byte character.
std::wstring DecodeLoadGamePayload(const std::wstring& payload);

class CLoginDlg : public CDHtmDlgEx {
  public:
    explicit CLoginDlg(std::wstring url);
    ~CLoginDlg() override;

    std::wstring LoginUrl;
    std::unique_ptr<CQQLogin> AuthDialog; // the current sign-in window, if any

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    BOOL OnInitDialog() override;
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    ElementEventTable GetDHtmlEventMap() const override { return LoginElementEvents(); }
    HRESULT OnElementAction(ElementAction action, const std::shared_ptr<PageElement>& element) override;
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, VARIANT_BOOL* cancel) override;

  private:
    void RunCommand(const std::wstring& url);
    void LoadGame(const std::wstring& url);
    void Minimize();
    void OpenSignIn(const std::wstring& url, AuthProvider provider);
    // Ends the backdrop (this dialog's owner) with the result.
    void EndLogin(int result);
    void SendDragToBackdrop(UINT ncMessage);
};

class CLoginBkDlg : public CDialog {
  public:
    explicit CLoginBkDlg(HWND parent);
    ~CLoginBkDlg() override;

    std::unique_ptr<Gdiplus::Image> BackdropImage;
    int ImageWidth = 0;
    int ImageHeight = 0;
    CLoginDlg LoginPageDialog;

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void LoadBackdrop();
    void DrawBackdrop();

    ComPtr<IStream> ImageStream_; // GDI+ reads the picture from it for as long as it lives
};

} // namespace zarn
