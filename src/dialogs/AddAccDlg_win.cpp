// The another-account drop-down.
#include "dialogs/AddAccDlg_win.h"

#include <utility>

#include "base/ProgramMessages.h"
#include "framework/WinApp.h"
#include "skin/SkinImage_win.h"

namespace zarn {
namespace {
constexpr UINT SkinImageId = 162;
constexpr UINT PushButtonImageId = 133;
constexpr int QuestionId = 1023;
} // namespace

CAddAccDlg::CAddAccDlg() : CDlgEx(IDD_ADDACCDLG) {}

void CAddAccDlg::DoDataExchange(DataExchange& exchange) {
    CDlgEx::DoDataExchange(exchange);
    exchange.Control(QuestionId, Question);
    exchange.Control(IDOK, YesButton);
    exchange.Control(IDCANCEL, NoButton);
}

BOOL CAddAccDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetTitle(L"登录其他账号");
    SetFrameLayout(30, 3, 5, 1, 0);
    const HINSTANCE instance = AfxGetInstanceHandle();
    SetSkin(UniqueBitmap(LoadSkinImage(instance, SkinImageId)), TRUE, FALSE, nullptr, {}, {}, nullptr);
    const UniqueBitmap buttons(LoadSkinImage(instance, PushButtonImageId));
    YesButton.SetImage(buttons.get(), TRUE);
    NoButton.SetImage(buttons.get(), TRUE);
    Question.LineSpacing = 5;
    return TRUE;
}

// The buttons' commands: each posts its answer and hides. Esc and the system close command would
// arrive as "否" too (IDCANCEL), which would open a new launcher; they only hide the drop-down.
BOOL CAddAccDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE &&
        (msg->hwnd == GetSafeHwnd() || ::IsChild(GetSafeHwnd(), msg->hwnd))) {
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        return TRUE;
    }
    return CDlgEx::PreTranslateMessage(msg);
}

void CAddAccDlg::Offer() {
    Offered = true;
    Given = -1;
}

int CAddAccDlg::TakeAnswer() {
    return std::exchange(Given, -1);
}

// Only the first answer to a showing counts; a command that reaches a hidden drop-down (or comes a
// second time) only hides it.
void CAddAccDlg::Answer(WPARAM choice) {
    if (Offered && ::IsWindowVisible(GetSafeHwnd())) {
        Offered = false;
        Given = static_cast<int>(choice);
        ::PostMessageW(GetParent(), UM_ADDACCOUNTCHOICE, choice, 0);
    }
    ::ShowWindow(GetSafeHwnd(), SW_HIDE);
}

LRESULT CAddAccDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_NCHITTEST:
        return HTCLIENT; // a drop-down, not a window to drag
    case WM_CLOSE:
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        return 0;
    case WM_SHOWWINDOW:
        if (!w)
            Offered = false; // hidden unanswered: the offer goes with it
        return CDlgEx::WindowProc(msg, w, l);
    case WM_ACTIVATE: {
        const LRESULT result = CDlgEx::WindowProc(msg, w, l);
        if (LOWORD(w) == WA_INACTIVE)
            ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        return result;
    }
    default:
        return CDlgEx::WindowProc(msg, w, l);
    }
}

} // namespace zarn
