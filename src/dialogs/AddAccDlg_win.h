// CAddAccDlg: the launcher's drop-down under "登录其他账号" asking where another account logs in: in
// this window as a new tab ("是") or in a new window ("否"). It posts the answer to its parent and hides;
// its window is created once and then only shown and hidden. The launcher acts only on an answer it
// takes from here (TakeAnswer), one per showing, never on the message alone, which any program can post.
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

    // The launcher shows the drop-down: the next answer given is kept for it.
    void Offer();
    // The answer given since the last Offer (1 "是", 0 "否"), once; -1 when there is none.
    int TakeAnswer();

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override { Answer(1); }
    void OnCancel() override { Answer(0); }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void Answer(WPARAM choice);

    bool Offered = false;
    int Given = -1;
};

} // namespace zarn
