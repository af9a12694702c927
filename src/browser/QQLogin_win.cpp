// CQQLogin and CQQHtml: the sign-in container, its page, the cookie watch and the sweep timer.
#include "browser/QQLogin_win.h"

#include <exdispid.h>
#include <wininet.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "BuildHosts.h"
#include "browser/PageRules.h"
#include "framework/ProcAddress.h"
#include "skin/SkinImage_win.h"

namespace zarn {

HWND LastSweptDialog = nullptr;

namespace {
constexpr UINT SignInTemplate = 157;
constexpr UINT SweepIntervalMs = 10;
// Where the buffer for a URL's cookies starts, and the most it grows to.
constexpr size_t CookieStartChars = 1024;
constexpr size_t CookieLimitChars = 1 << 20;

// The whole cookie string `read` (one of WinINet's readers: URL, buffer, its size in characters) gives
// for the URL, the buffer grown as often as the reader asks for more room; empty when the URL has
// none; nothing when the reader fails otherwise.
template <typename Reader>
std::optional<std::wstring> ReadWholeCookies(const std::wstring& url, Reader read) {
    std::vector<wchar_t> buffer(CookieStartChars);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (read(url.c_str(), buffer.data(), &size))
            return std::wstring(buffer.data(), ::wcsnlen(buffer.data(), buffer.size()));
        const DWORD error = ::GetLastError();
        if (error == ERROR_NO_MORE_ITEMS)
            return std::wstring();
        if (error != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= CookieLimitChars)
            return std::nullopt;
        // The size asked for is in bytes or in characters depending on the reader: room for either,
        // and at least twice the room before.
        const size_t wanted = std::max(buffer.size() * 2, static_cast<size_t>(size) + 1);
        buffer.assign(std::min(wanted, CookieLimitChars), L'\0');
    }
}

// Every cookie WinINet holds for the URL, HttpOnly ones included where the system offers them
// (Internet Explorer 8 on); empty when there are none or they cannot be read. The cookie-name
// argument of the readers is ignored by WinINet, so the string holds all of them.
std::wstring UrlCookies(const std::wstring& url) {
    const HMODULE wininet = ::GetModuleHandleW(L"wininet.dll");
    if (auto* getEx = wininet
                          ? GetProcAddressAs<decltype(InternetGetCookieExW)>(wininet, "InternetGetCookieExW")
                          : nullptr) {
        const std::optional<std::wstring> all =
            ReadWholeCookies(url, [getEx](const wchar_t* address, wchar_t* buffer, DWORD* size) {
                return getEx(address, nullptr, buffer, size, INTERNET_COOKIE_HTTPONLY, nullptr);
            });
        if (all)
            return *all;
    }
    return ReadWholeCookies(url,
                            [](const wchar_t* address, wchar_t* buffer, DWORD* size) {
                                return ::InternetGetCookieW(address, nullptr, buffer, size);
                            })
        .value_or(std::wstring());
}

} // namespace

bool IsSwallowedSignInKey(const MSG& msg) {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
}

CQQHtml::CQQHtml() : CDHtmlDialog(SignInTemplate, 0, nullptr) {}

CQQHtml::~CQQHtml() {
    DestroyWindow();
}

const BrowserEventEntry CQQHtml::EventEntries[] = {
    {DISPID_BEFORENAVIGATE2, CQQHtml::BeforeNavigateEvent},
};
const BrowserEventMap CQQHtml::EventMap = {&CDHtmlDialog::BaseEventMap, CQQHtml::EventEntries,
                                           sizeof(CQQHtml::EventEntries) / sizeof(BrowserEventEntry)};

const BrowserEventMap* CQQHtml::GetEventSinkMap() const {
    return &EventMap;
}

void CQQHtml::BeforeNavigateEvent(CDHtmlDialog& dialog, DISPPARAMS& params) {
    BeforeNavigateArguments arguments;
    if (ReadBeforeNavigate2(params, arguments))
        static_cast<CQQHtml&>(dialog).OnBeforeNavigate2(arguments.Frame, arguments.Url, arguments.Cancel);
}

void CQQHtml::OnBeforeNavigate2(IDispatch*, const std::wstring& url, VARIANT_BOOL* cancel) {
    // Nothing the provider's pages link to may open files or start programs.
    if (!IsAllowedPageScheme(url)) {
        *cancel = VARIANT_TRUE;
        return;
    }
    // QQ's authorisation page is not loaded behind the user's back while the page is hidden.
    if (IsQqAuthorizeUrl(url, build::QqOpenHost) && !::IsWindowVisible(GetSafeHwnd()))
        *cancel = VARIANT_TRUE;
}

BOOL CQQHtml::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    return TRUE;
}

void CQQHtml::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    if (IsAuthCallbackUrl(url, build::SignInHost) && HasCookieValue(UrlCookies(url), SignInCookieName)) {
        PostMessage(WM_CLOSE);
        if (HWND container = GetParent())
            ::EndDialog(container, IDCANCEL);
        ::SetTimer(GetSafeHwnd(), DialogSweepTimer, SweepIntervalMs, nullptr);
        return;
    }
    CDHtmlDialog::OnNavigateComplete(frame, url);
}

void CQQHtml::SweepOnce() {
    LastSweptDialog = ::FindWindowExW(nullptr, LastSweptDialog, L"#32770", nullptr);
    if (!LastSweptDialog)
        return; // the next tick starts from the first window again
    if (::GetParent(LastSweptDialog) != GetSafeHwnd())
        return;
    ::KillTimer(GetSafeHwnd(), DialogSweepTimer);
    ::DestroyWindow(LastSweptDialog);
    LastSweptDialog = nullptr;
}

LRESULT CQQHtml::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_SHOWWINDOW: {
        // Shown or hidden alike, the page starts again from the redirect.
        const LRESULT result = CDHtmlDialog::WindowProc(msg, w, l);
        Navigate(StartUrl);
        return result;
    }
    case WM_TIMER: {
        const LRESULT result = CDHtmlDialog::WindowProc(msg, w, l);
        if (w == DialogSweepTimer)
            SweepOnce();
        return result;
    }
    case WM_DESTROY:
        ::KillTimer(GetSafeHwnd(), DialogSweepTimer);
        break;
    default:
        break;
    }
    return CDHtmlDialog::WindowProc(msg, w, l);
}

BOOL CQQHtml::PreTranslateMessage(MSG* msg) {
    if (IsSwallowedSignInKey(*msg))
        return TRUE;
    return CDHtmlDialog::PreTranslateMessage(msg);
}

CQQLogin::CQQLogin() : CDlgEx(SignInTemplate, nullptr) {}

CQQLogin::~CQQLogin() {
    DestroyWindow();
}

BOOL CQQLogin::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetTitle(L"QQ账号安全登录");
    SetFrameLayout(30, 4, 0, 0, 0);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    UniqueBitmap close(LoadSkinImage(instance, 132));
    SetSkin(UniqueBitmap(LoadSkinImage(instance, 134)), FALSE, TRUE, nullptr, UniqueBitmap(), UniqueBitmap(),
            close.get());
    SetSize(740, 480);
    return TRUE;
}

void CQQLogin::OnCancel() {
    AuthPage.DestroyWindow();
    CDlgEx::OnCancel();
}

LRESULT CQQLogin::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_SHOWWINDOW: {
        const LRESULT result = CDlgEx::WindowProc(msg, w, l);
        if (!AuthPage.GetSafeHwnd())
            AuthPage.Create(GetSafeHwnd());
        if (AuthPage.GetSafeHwnd())
            ::ShowWindow(AuthPage.GetSafeHwnd(), w ? SW_SHOW : SW_HIDE);
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = CDlgEx::WindowProc(msg, w, l);
        // The page lies inside the 30-pixel title band and the 4-pixel border. The window's own
        // rectangle, not the WINDOWPOS: a z-order-only change carries no position or size.
        if (AuthPage.GetSafeHwnd()) {
            const RECT r = GetWindowRect();
            ::MoveWindow(AuthPage.GetSafeHwnd(), r.left + 4, r.top + 30, r.right - r.left - 8,
                         r.bottom - r.top - 34, TRUE);
        }
        return result;
    }
    default:
        break;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

BOOL CQQLogin::PreTranslateMessage(MSG* msg) {
    if (IsSwallowedSignInKey(*msg))
        return TRUE;
    return CDlgEx::PreTranslateMessage(msg);
}

} // namespace zarn
