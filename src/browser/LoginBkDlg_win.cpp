// The login backdrop and the login page dialog with its app: commands.
#include "browser/LoginBkDlg_win.h"

#include <exdispid.h>
#include <gdiplus.h>

#include "BuildHosts.h"
#include "app/GameProcess_win.h"
#include "app/Program_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "framework/CodePage.h"
#include "framework/ForeignWnd.h"
#include "framework/Handle.h"
#include "skin/MessageBox_win.h"

namespace zarn {
namespace {

constexpr UINT LoginTemplate = 157;
constexpr UINT BackdropResource = 129;
constexpr COLORREF PageKeyColour = RGB(254, 254, 254);
constexpr size_t AnsiPayloadLimit = 255;
constexpr size_t DecodedPayloadCapacity = 256;
// How long a login waits for the launcher's answer to its account; no answer counts as a refusal.
constexpr UINT LauncherAnswerTimeoutMs = 5000;

// The bytes of one character in the ANSI code page (0 when it has none).
size_t AnsiSize(std::wstring_view character) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, character.data(), static_cast<int>(character.size()),
                                        nullptr, 0, nullptr, nullptr);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

std::string ToAnsi(std::wstring_view text) {
    return ToCodePage(text, CP_ACP).value_or(std::string());
}

} // namespace

std::wstring DecodeLoadGamePayload(const std::wstring& payload) {
    if (!PayloadNeedsUnescape(payload))
        return payload;
    const std::string ansi = ToAnsi(FitToByteLimit(payload, AnsiPayloadLimit, AnsiSize));
    return DecodeUtf8(PercentUnescape(ansi), DecodedPayloadCapacity);
}

bool IsUacEnabled() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!::GetVersionExW(&version) || version.dwMajorVersion <= 5)
        return false;
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\", 0, KEY_READ,
                        key.put()) != ERROR_SUCCESS)
        return false;
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), L"EnableLUA", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return false;
    return value == 1;
}

// ---------------------------------------------------------------- the login page

CLoginDlg::CLoginDlg(std::wstring url) : CDHtmDlgEx(LoginTemplate, 0, nullptr), LoginUrl(std::move(url)) {}

CLoginDlg::~CLoginDlg() {
    AuthDialog.reset();
    DestroyWindow();
}

BOOL CLoginDlg::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    SetSilent();
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(GetSafeHwnd(), PageKeyColour, 0, LWA_COLORKEY);
    ModifyStyleEx(WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    Navigate(LoginUrl);
    return FALSE;
}

void CLoginDlg::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    CDHtmDlgEx::OnNavigateComplete(frame, url);
    ::ShowWindow(GetSafeHwnd(), SW_SHOW);
    if (HWND control = ::FindWindowExW(GetSafeHwnd(), nullptr, nullptr, nullptr)) {
        const RECT client = GetClientRect();
        ::MoveWindow(control, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
    }
}

BOOL CLoginDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_F5))
        return TRUE;
    return CDHtmDlgEx::PreTranslateMessage(msg);
}

void CLoginDlg::SendDragToBackdrop(UINT ncMessage) {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(GetSafeHwnd(), &point);
    if (InLoginProtectedArea(point.x, point.y))
        return;
    if (HWND backdrop = GetParent())
        ::SendMessageW(backdrop, ncMessage, HTCAPTION, MAKELPARAM(point.x, point.y));
}

HRESULT CLoginDlg::OnElementAction(ElementAction action, const std::shared_ptr<PageElement>&) {
    switch (action) {
    case ElementAction::DragDown:
        SendDragToBackdrop(WM_NCLBUTTONDOWN);
        break;
    case ElementAction::DragUp:
        SendDragToBackdrop(WM_NCLBUTTONUP);
        break;
    case ElementAction::DragMove:
        SendDragToBackdrop(WM_NCMOUSEMOVE);
        break;
    default:
        break;
    }
    return S_FALSE;
}

void CLoginDlg::OnBeforeNavigate2(IDispatch*, const std::wstring& url, VARIANT_BOOL* cancel) {
    if (IsAppUrl(url)) {
        // Cancelled before the command runs: the command may end the login and this window with it.
        *cancel = VARIANT_TRUE;
        RunCommand(url);
        return;
    }
    const AuthProvider provider = AuthRedirectIn(url, build::SignInHost);
    if (provider != AuthProvider::None) {
        *cancel = VARIANT_TRUE;
        OpenSignIn(url, provider);
        return;
    }
    // Nothing the page links to may open files or start programs.
    if (!IsAllowedPageScheme(url))
        *cancel = VARIANT_TRUE;
}

void CLoginDlg::RunCommand(const std::wstring& url) {
    const std::wstring name = AppCommandName(url);
    if (name == L"loadgame")
        LoadGame(url);
    else if (name == L"exitgame")
        EndLogin(IDCANCEL);
    else if (name == L"minimize")
        Minimize();
}

void CLoginDlg::EndLogin(int result) {
    if (auto* backdrop = dynamic_cast<CDialog*>(CWnd::FromHandle(GetParent())))
        backdrop->EndDialog(result);
}

void CLoginDlg::LoadGame(const std::wstring& url) {
    const LoadGameCommand command = ParseLoadGame(url);
    const LoginAccount account = SplitLoginPayload(DecodeLoadGamePayload(command.Payload));
    const std::wstring text = LoginAccountText(account);

    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.c_str());
    // No launcher window, or one that does not answer in time: nobody can register the account, so
    // the login cannot go on. Only a launcher that answered "no" has the account open already.
    const CForeignWnd launcher(LauncherWindow());
    LRESULT accepted = 0;
    const bool answered = launcher.SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), &accepted,
                                               LauncherAnswerTimeoutMs);
    if (!accepted) {
        if (answered) {
            const std::wstring message = DuplicateLoginText(account);
            ShowMessageBox(MB_OK, product::Caption, message.c_str(), nullptr);
        }
        EndLogin(IDCANCEL);
        return;
    }
    GameUrl = command.GameUrl;
    EndLogin(IDOK);
}

void CLoginDlg::Minimize() {
    if (GameWindowOrdinal > 0) {
        EndLogin(IDCANCEL);
        return;
    }
    if (IsUacEnabled()) {
        ::ShowWindow(GetParent(), SW_MINIMIZE);
        return;
    }
    CForeignWnd(LauncherWindow()).ShowWindow(SW_MINIMIZE); // queued: a hung launcher cannot hang the login
}

void CLoginDlg::OpenSignIn(const std::wstring& url, AuthProvider provider) {
    AuthDialog.reset();
    AuthDialog = std::make_unique<CQQLogin>();
    AuthDialog->AuthPage.StartUrl = url;
    if (!AuthDialog->GetSafeHwnd())
        AuthDialog->Create(GetSafeHwnd());
    if (!AuthDialog->GetSafeHwnd())
        return;
    AuthDialog->SetTitle(AuthWindowTitle(provider));
    ::ShowWindow(AuthDialog->GetSafeHwnd(), SW_SHOW);
    // Centred on the desktop.
    const RECT self = AuthDialog->GetWindowRect();
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    ::SetWindowPos(AuthDialog->GetSafeHwnd(), nullptr, (desktop.left + desktop.right - width) / 2,
                   (desktop.top + desktop.bottom - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- the backdrop

CLoginBkDlg::CLoginBkDlg(HWND parent) : CDialog(LoginTemplate, parent), LoginPageDialog(LoginPageUrl()) {}

CLoginBkDlg::~CLoginBkDlg() {
    DestroyWindow();
    BackdropImage.reset();
}

BOOL CLoginBkDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(product::Caption);
    LoadBackdrop();
    DrawBackdrop();
    LoginPageDialog.Create(GetSafeHwnd());
    ModifyStyle(0, WS_MINIMIZEBOX);
    return FALSE;
}

void CLoginBkDlg::LoadBackdrop() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(BackdropResource), L"PNG");
    if (!resource)
        return;
    const DWORD size = ::SizeofResource(instance, resource);
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return;
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory)
        return;
    void* target = ::GlobalLock(memory.get());
    if (!target)
        return;
    ::memcpy(target, bytes, size);
    ::GlobalUnlock(memory.get());
    if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, ImageStream_.put())) || !ImageStream_)
        return;
    memory.release(); // the stream frees it
    auto image = std::make_unique<Gdiplus::Image>(ImageStream_.get());
    if (image->GetLastStatus() != Gdiplus::Ok)
        return;
    ImageWidth = static_cast<int>(image->GetWidth());
    ImageHeight = static_cast<int>(image->GetHeight());
    BackdropImage = std::move(image);
}

void CLoginBkDlg::DrawBackdrop() {
    if (!BackdropImage || ImageWidth <= 0 || ImageHeight <= 0)
        return;
    WindowDC window(GetSafeHwnd());
    UniqueMemoryDC memory(::CreateCompatibleDC(window.get()));
    // A 32-bit top-down DIB: a bitmap compatible with a 24-bit screen would lose the picture's alpha.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = ImageWidth;
    info.bmiHeader.biHeight = -ImageHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(window.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits)
        return;
    SelectGuard select(memory.get(), bitmap.get());
    {
        // Premultiplied pixels, as UpdateLayeredWindow wants them.
        Gdiplus::Bitmap canvas(ImageWidth, ImageHeight, ImageWidth * 4, PixelFormat32bppPARGB,
                               static_cast<BYTE*>(bits));
        Gdiplus::Graphics graphics(&canvas);
        const Gdiplus::Point corners[3] = {{0, 0}, {ImageWidth, 0}, {0, ImageHeight}};
        graphics.DrawImage(BackdropImage.get(), corners, 3);
    }
    if (!(GetExStyle() & WS_EX_LAYERED))
        ModifyStyleEx(0, WS_EX_LAYERED);
    const RECT place = GetWindowRect();
    POINT destination{place.left, place.top};
    SIZE size{ImageWidth, ImageHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(GetSafeHwnd(), window.get(), &destination, &size, memory.get(), &source, 0, &blend,
                          ULW_ALPHA);
}

LRESULT CLoginBkDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        const LRESULT result = CDialog::WindowProc(msg, w, l);
        SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, l);
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = CDialog::WindowProc(msg, w, l);
        // The page window always lies exactly over the backdrop.
        if (LoginPageDialog.GetSafeHwnd()) {
            const RECT r = GetWindowRect();
            ::MoveWindow(LoginPageDialog.GetSafeHwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                         TRUE);
        }
        return result;
    }
    default:
        break;
    }
    return CDialog::WindowProc(msg, w, l);
}

BOOL CLoginBkDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

INT_PTR RunLoginBackdrop(HWND launcher) {
    CLoginBkDlg backdrop(launcher);
    const INT_PTR result = backdrop.DoModal();
    return result == IDOK ? IDOK : IDCANCEL;
}

} // namespace zarn
