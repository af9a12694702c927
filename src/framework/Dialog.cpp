// CDialog: template-based dialogs, their modal loop and the centring of modal dialogs.
#include "framework/Dialog.h"

#include "framework/ForeignWnd.h"
#include "framework/WinApp.h"

namespace zarn {
namespace {

// Runs a queued message through the application's (or, without one, the window objects') filters.
BOOL PreTranslate(MSG* msg) {
    if (CWinApp* app = AfxGetApp())
        return app->PreTranslateMessage(msg);
    return CWnd::WalkPreTranslateTree(msg);
}

// Enabling or disabling a window waits for its thread (WM_ENABLE): an owner in another process (the
// launcher of a login or a game dialog) is only asked once it answers, so a hung one cannot hang this
// dialog. True when the state was changed.
bool SetOwnerEnabled(HWND owner, bool enable) {
    if (!IsWindowOfThisProcess(owner))
        return CForeignWnd(owner).EnableWindow(enable);
    ::EnableWindow(owner, enable ? TRUE : FALSE);
    return true;
}

// Whether the owner can be activated without waiting on a thread that may hang.
bool OwnerAnswers(HWND owner) {
    return IsWindowOfThisProcess(owner) || CForeignWnd(owner).Answers();
}

} // namespace

void DataExchange::Control(int id, CWnd& control) {
    if (!control.GetSafeHwnd())
        control.SubclassDlgItem(static_cast<UINT>(id), Dialog_);
}

CDialog::CDialog(UINT templateId, HWND parent) : TemplateId(templateId), ParentWindow(parent) {}

INT_PTR CALLBACK CDialog::DialogProc(HWND wnd, UINT msg, WPARAM, LPARAM l) {
    // Messages before WM_INITDIALOG (WM_SETFONT among them) find no object and get the defaults.
    // From WM_INITDIALOG on, the object sees every message through its subclass.
    if (msg != WM_INITDIALOG)
        return FALSE;
    auto* self = reinterpret_cast<CDialog*>(l);
    ::SetWindowLongPtrW(wnd, DWLP_USER, l);
    return self->HandleInitDialog(wnd);
}

BOOL CDialog::HandleInitDialog(HWND wnd) {
    if (!Attach(wnd))
        return FALSE;
    RECT before{};
    ::GetWindowRect(wnd, &before);
    const BOOL result = OnInitDialog();
    // A modal dialog that did not place itself is centred over its owner.
    if (Modal_ && CenterWhenOpened && ::IsWindow(wnd)) {
        RECT after{};
        ::GetWindowRect(wnd, &after);
        if (after.left == before.left && after.top == before.top)
            CenterWindow(Owner_);
    }
    return result;
}

BOOL CDialog::OnInitDialog() {
    DataExchange exchange(GetSafeHwnd());
    DoDataExchange(exchange);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (GetSafeHwnd())
        return -1;
    Owner_ = ParentWindow ? ::GetAncestor(ParentWindow, GA_ROOT) : nullptr;
    Modal_ = true;
    Ending_ = false;
    Result_ = -1;
    HWND wnd = ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(TemplateId), Owner_, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
    if (!wnd) {
        Modal_ = false;
        return -1;
    }
    const bool disableOwner = Owner_ && ::IsWindowEnabled(Owner_) && SetOwnerEnabled(Owner_, false);
    if (!Ending_) {
        ::ShowWindow(wnd, SW_SHOWNORMAL);
        ::SetForegroundWindow(wnd);
    }

    MSG msg;
    while (!Ending_ && ::IsWindow(wnd)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave WM_QUIT for the outer loop
            break;
        }
        if (got == -1)
            break;
        if (PreTranslate(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    // The owner is enabled again (when this dialog disabled it) and given back the activation, each
    // only while it answers.
    const bool reenabled = !disableOwner || SetOwnerEnabled(Owner_, true);
    if (::IsWindow(wnd)) {
        if (Owner_ && ::GetActiveWindow() == wnd && reenabled && (disableOwner || OwnerAnswers(Owner_)))
            ::SetActiveWindow(Owner_);
        ::DestroyWindow(wnd);
    }
    Modal_ = false;
    return Result_;
}

BOOL CDialog::Create(HWND parent) {
    if (GetSafeHwnd())
        return FALSE;
    if (parent)
        ParentWindow = parent;
    Modal_ = false;
    Owner_ = ParentWindow;
    return ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(TemplateId), ParentWindow,
                                DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(int result) {
    Result_ = result;
    if (Modal_) {
        Ending_ = true;
        ::PostMessageW(GetSafeHwnd(), WM_NULL, 0, 0); // wakes the modal loop
        return;
    }
    DestroyWindow();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    HWND wnd = GetSafeHwnd();
    if (!wnd || (msg->hwnd != wnd && !::IsChild(wnd, msg->hwnd)))
        return FALSE;
    // Keyboard navigation; Enter and Esc become IDOK and IDCANCEL commands.
    return ::IsDialogMessageW(wnd, msg);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    // Buttons, menus, accelerators and IsDialogMessage (Enter, Esc) all send code 0 (BN_CLICKED).
    if (msg == WM_COMMAND && CommandCode(w) == BN_CLICKED) {
        if (CommandId(w) == IDOK) {
            OnOK();
            return 0;
        }
        if (CommandId(w) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return CWnd::WindowProc(msg, w, l);
}

void CDialog::CenterWindow(HWND over) {
    HWND wnd = GetSafeHwnd();
    RECT area{};
    HMONITOR monitor = ::MonitorFromWindow(over ? over : wnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        area = info.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT target = area;
    if (over && ::IsWindowVisible(over) && !::IsIconic(over))
        ::GetWindowRect(over, &target);
    const RECT self = GetWindowRect();
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = (target.left + target.right - width) / 2;
    int y = (target.top + target.bottom - height) / 2;
    // Keep the window on the work area.
    if (x + width > area.right)
        x = area.right - width;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (x < area.left)
        x = area.left;
    if (y < area.top)
        y = area.top;
    ::SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace zarn
