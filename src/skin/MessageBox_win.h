// The one way the program shows a message: a skinned modal box. Type MB_OK (0), MB_OKCANCEL (1) or
// MB_YESNO (4) (anything else acts as MB_OK), caption, text and owner (none before any window exists)
// -> IDOK, IDCANCEL, IDYES or IDNO. Closing the box from its title bar gives IDCANCEL.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"
#include "skin/BtnEx_win.h"
#include "skin/DlgEx_win.h"

namespace zarn {

int ShowMessageBox(UINT type, const wchar_t* caption, const wchar_t* text, HWND parent);

// The message box dialog (template 130). Buttons 5000 and 5001; Enter and Esc do nothing.
class CMessageBox : public CDlgEx {
  public:
    ~CMessageBox() override { DestroyWindow(); }
    enum : UINT { TemplateId = 130, FirstButtonId = 5000, SecondButtonId = 5001 };

    explicit CMessageBox(HWND parent);

    // The skin goes to CDlgEx::SetSkin (which owns it from then on); the strips stay owned here.
    UniqueBitmap BackgroundImage;
    UniqueBitmap CloseImage;
    UniqueBitmap FirstButtonImage;
    UniqueBitmap SecondButtonImage;
    std::wstring Text;
    std::wstring Caption;
    int Type = 0;
    int LineCount = 1;
    HFONT TextFont = nullptr; // the dialog's font, not owned
    COLORREF TextColor = RGB(0, 0, 0);
    CBtnEx FirstButton;
    CBtnEx SecondButton;
    // Holds the body text, hidden, for screen readers and for tools that read a box's static texts.
    CStatic BodyText;

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void Paint();
    void DrawBody(HDC dc);
    SIZE MeasureText(HDC dc) const;
    void SetUpButton(CBtnEx& button, UINT id, const RECT& rect, const wchar_t* label, bool labelAsWindowText,
                     HBITMAP strip);
};

} // namespace zarn
