// CDialog: a dialog from a template in the program's resources, modal (DoModal/EndDialog, with a
// message loop that gives every message to PreTranslateMessage first) or modeless (Create).
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

namespace zarn {

// Binds dialog controls to member objects; DoDataExchange receives one.
class DataExchange {
  public:
    explicit DataExchange(HWND dialog) : Dialog_(dialog) {}
    // Subclasses the control with this id into `control` (once; later calls do nothing).
    void Control(int id, CWnd& control);

  private:
    HWND Dialog_;
};

class CDialog : public CWnd {
  public:
    // templateId: dialog resource number; parent: owner window or null.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override { DestroyWindow(); }

    // Runs the dialog modally: creates it, disables the owner, runs the modal loop until EndDialog,
    // re-enables the owner and destroys the window. Returns EndDialog's result, or -1 when the dialog
    // could not be created.
    INT_PTR DoModal();
    // Creates the dialog modelessly (it shows itself when its template says WS_VISIBLE).
    BOOL Create(HWND parent = nullptr);
    // Modal: ends the modal loop with this result. Modeless: destroys the window.
    void EndDialog(int result);

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    // WM_INITDIALOG: binds the controls (DoDataExchange); TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    // IDOK / IDCANCEL commands (Enter, Esc, the system close command).
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

    // Centres the window over `over` (or over the work area when it is null, hidden or minimised).
    void CenterWindow(HWND over);

    UINT TemplateId;
    HWND ParentWindow;
    // A modal dialog that did not move itself in OnInitDialog is centred over its owner; a dialog that
    // places itself at its template's position turns this off.
    bool CenterWhenOpened = true;

  private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
    BOOL HandleInitDialog(HWND wnd);

    bool Modal_ = false;
    bool Ending_ = false;
    int Result_ = -1;
    HWND Owner_ = nullptr;
};

} // namespace zarn
