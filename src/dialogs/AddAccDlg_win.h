// CAddAccDlg: the launcher's drop-down under "登录其他账号" asking where another account logs in: in
// this window as a new tab ("是") or in a new window ("否"). It posts the answer to its parent and hides;
// its window is created once and then only shown and hidden.
#pragma once

#include "skin/BtnEx_win.h"
#include "skin/DlgEx_win.h"
#include "skin/StaticEx_win.h"

namespace zarn {

inline constexpr UINT IDD_ADDACCDLG = 161;

class CAddAccDlg : public CDlgEx {
  public:
    CAddAccDlg();
    ~CAddAccDlg() override { DestroyWindow(); }

    CBtnEx YesButton;   // 1
    CBtnEx NoButton;    // 2
    CStaticEx Question; // 1023

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override { Answer(1); }
    void OnCancel() override { Answer(0); }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void Answer(WPARAM choice);
};

} // namespace zarn
