// The WebBrowser host and the HTML dialogs in this process, for what the control does under Wine:
// creation, Navigate, BeforeNavigate2 with Cancel, NavigateError, Silent, the site's interfaces,
// resizing and teardown; element events and picture buttons through fake elements; key messages
// through a fake in-place active object in the page's place.
#include <windows.h>
#include <exdispid.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/DHtmDlgEx_win.h"
#include "browser/LoginBkDlg_win.h"
#include "browser/QQLogin_win.h"
#include "framework/HtmlDialog.h"
#include "support/BrowserTestSupport_win.h"
#include "support/PageKeysTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;
namespace ev = element_event;

namespace {

class OleSession {
  public:
    OleSession() : Ok(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession() {
        if (Ok)
            ::OleUninitialize();
    }
    bool Ok;
};

// Pumps this thread's messages until `done` holds (the control reports errors through its queue);
// false when it does not within the time.
template <typename Done> bool PumpUntil(Done done, DWORD timeoutMs = 20000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// A navigation the control tries and fails (nothing listens on port 1).
const wchar_t FailingUrl[] = L"http://127.0.0.1:1/closed";

// A CDHtmDlgEx that records what reaches it.
class ProbeDialog : public CDHtmDlgEx {
  public:
    ProbeDialog() : CDHtmDlgEx(157, 0, nullptr) {}
    ~ProbeDialog() override { DestroyWindow(); }

    std::vector<std::wstring> Before;
    std::vector<bool> BeforeCancelled;
    int Errors = 0;
    std::vector<UINT> NcMessages;
    std::vector<LPARAM> NcPoints;
    HRESULT ShowMessageAnswer = S_FALSE;
    bool OverrideShowMessage = false;
    int ShowMessages = 0;

    using CDHtmDlgEx::GetHostInfo;
    using CDHtmDlgEx::ShowContextMenu;

  protected:
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, VARIANT_BOOL* cancel) override {
        CDHtmDlgEx::OnBeforeNavigate2(frame, url, cancel);
        Before.push_back(url);
        BeforeCancelled.push_back(*cancel != VARIANT_FALSE);
    }
    BOOL OnNavigateError(IDispatch* frame, VARIANT* url, VARIANT* target, VARIANT* status,
                         BOOL* cancel) override {
        ++Errors;
        return CDHtmDlgEx::OnNavigateError(frame, url, target, status, cancel);
    }
    HRESULT OnShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR help, DWORD context,
                          LRESULT* result) override {
        ++ShowMessages;
        if (!OverrideShowMessage)
            return CDHtmDlgEx::OnShowMessage(wnd, text, caption, type, help, context, result);
        *result = 77;
        return ShowMessageAnswer;
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        // The window-move loop would wait for the mouse: record the request instead.
        if ((msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONUP || msg == WM_NCMOUSEMOVE) && w == HTCAPTION) {
            NcMessages.push_back(msg);
            NcPoints.push_back(l);
            return 0;
        }
        return CDHtmDlgEx::WindowProc(msg, w, l);
    }
};

// A plain HTML dialog with the same kind of site: its message requests are not the dialog's.
class PlainDialog : public CDHtmlDialog {
  public:
    PlainDialog() : CDHtmlDialog(157, 0, nullptr) {}
    ~PlainDialog() override { DestroyWindow(); }

  protected:
    ComPtr<CBrowserControlSite> CreateControlSite() override {
        return ComPtr<CBrowserControlSite>::Attach(new CMyBrowserControlSite(this));
    }
};

struct FakeElement : PageElement {
    std::wstring cls;
    std::wstring tag = L"A";
    int left = 10, top = 10, width = 50, height = 20;
    std::vector<int> positions;
    int clicks = 0;
    std::wstring ClassName() const override { return cls; }
    std::wstring TagName() const override { return tag; }
    bool IsDisabled() const override { return false; }
    int OffsetLeft() const override { return left; }
    int OffsetTop() const override { return top; }
    int OffsetWidth() const override { return width; }
    int OffsetHeight() const override { return height; }
    bool SetBackgroundPositionX(int x) override {
        positions.push_back(x);
        return true;
    }
    void Click() override { ++clicks; }
};

class HtmlDialogTest : public ::testing::Test {
  protected:
    OleSession Ole;
};

TEST_F(HtmlDialogTest, TheControlIsHostedSilentWithItsEventsConnected) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ASSERT_NE(dialog.Browser(), nullptr);
    EXPECT_TRUE(dialog.Host().EventsConnected());
    VARIANT_BOOL silent = VARIANT_FALSE;
    ASSERT_EQ(dialog.Browser()->get_Silent(&silent), S_OK);
    EXPECT_EQ(silent, VARIANT_TRUE);
    EXPECT_NE(::FindWindowExW(dialog.GetSafeHwnd(), nullptr, nullptr, nullptr), nullptr)
        << "the control has a window inside the dialog";
}

TEST_F(HtmlDialogTest, AppUrlsAreCancelledAndGoNowhere) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.Navigate(L"app://exitgame");
    dialog.Navigate(L"app:anything at all");
    ASSERT_EQ(dialog.Before.size(), 2u);
    EXPECT_EQ(dialog.Before[0], L"app://exitgame");
    EXPECT_TRUE(dialog.BeforeCancelled[0]);
    EXPECT_TRUE(dialog.BeforeCancelled[1]);
    // A failing navigation after them: its error is the only one (events come in order).
    dialog.Navigate(FailingUrl);
    ASSERT_EQ(dialog.Before.size(), 3u);
    EXPECT_FALSE(dialog.BeforeCancelled[2]);
    ASSERT_TRUE(PumpUntil([&] { return dialog.Errors > 0; }));
    EXPECT_EQ(dialog.Errors, 1) << "a cancelled navigation is not tried";
}

TEST_F(HtmlDialogTest, CapitalAppIsNoCommandAndNoSchemeAPageMayOpen) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    // Not a command; but an unknown protocol could start whatever program claims it, so it is
    // not opened either.
    dialog.Navigate(L"APP://exitgame");
    ASSERT_EQ(dialog.Before.size(), 1u);
    EXPECT_TRUE(dialog.BeforeCancelled[0]);
    EXPECT_TRUE(::IsWindow(dialog.GetSafeHwnd()));
}

TEST_F(HtmlDialogTest, JavascriptIsNeverCancelledOtherUrlsKeepTheBrowsersChoice) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    BeforeNavigateArgs script(L"javascript:go()", true);
    dialog.Host().Deliver(DISPID_BEFORENAVIGATE2, script.Params);
    EXPECT_EQ(script.Cancel, VARIANT_FALSE);
    BeforeNavigateArgs kept(L"http://127.0.0.1:1/", true);
    dialog.Host().Deliver(DISPID_BEFORENAVIGATE2, kept.Params);
    EXPECT_EQ(kept.Cancel, VARIANT_TRUE);
    BeforeNavigateArgs open(L"http://127.0.0.1:1/", false);
    dialog.Host().Deliver(DISPID_BEFORENAVIGATE2, open.Params);
    EXPECT_EQ(open.Cancel, VARIANT_FALSE);
}

TEST_F(HtmlDialogTest, ANavigationErrorIsCancelledSoNoErrorPageShows) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.Navigate(FailingUrl);
    ASSERT_TRUE(PumpUntil([&] { return dialog.Errors > 0; }));
    VARIANT args[5];
    for (VARIANT& v : args)
        ::VariantInit(&v);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &cancel;
    DISPPARAMS params{args, nullptr, 5, 0};
    dialog.Host().Deliver(DISPID_NAVIGATEERROR, params);
    EXPECT_EQ(cancel, VARIANT_TRUE);
}

TEST_F(HtmlDialogTest, NoPageOpensAWindowOfItsOwn) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    VARIANT args[5];
    for (VARIANT& v : args)
        ::VariantInit(&v);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    args[3].vt = VT_BOOL | VT_BYREF; // NewWindow3: ppDisp, Cancel, flags, context, URL
    args[3].pboolVal = &cancel;
    DISPPARAMS params{args, nullptr, 5, 0};
    dialog.Host().Deliver(DISPID_NEWWINDOW3, params);
    EXPECT_EQ(cancel, VARIANT_TRUE);
}

TEST_F(HtmlDialogTest, TheSiteAnswersAsADialogWithoutContextMenu) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    CBrowserControlSite* site = dialog.ControlSite();
    ASSERT_NE(site, nullptr);
    ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(site->QueryInterface(__uuidof(IDocHostUIHandler), handler.put_void()), S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags,
              static_cast<DWORD>(DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO));
    POINT at{5, 5};
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr), S_OK);
    for (REFIID iid : {__uuidof(IOleClientSite), __uuidof(IOleInPlaceSite), __uuidof(IOleInPlaceFrame),
                       __uuidof(IOleWindow), __uuidof(IDocHostShowUI)}) {
        ComPtr<IUnknown> part;
        EXPECT_EQ(site->QueryInterface(iid, part.put_void()), S_OK);
    }
    ComPtr<IDispatch> none;
    EXPECT_EQ(site->QueryInterface(__uuidof(IDispatch), none.put_void()), E_NOINTERFACE)
        << "the site is not the event sink";
}

TEST_F(HtmlDialogTest, BrowserMessageBoxesGoToTheDialogThroughShowUi) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(dialog.ControlSite()->QueryInterface(__uuidof(IDocHostUIHandler), handler.put_void()), S_OK);
    ComPtr<IDocHostShowUI> showUi = handler.As<IDocHostShowUI>(); // through the handler's own QueryInterface
    ASSERT_TRUE(showUi);
    wchar_t text[] = L"alert";
    LRESULT result = 0;
    EXPECT_EQ(showUi->ShowMessage(dialog.GetSafeHwnd(), text, text, MB_OK, nullptr, 0, &result), S_FALSE)
        << "by default the browser shows its own box";
    dialog.OverrideShowMessage = true;
    dialog.ShowMessageAnswer = S_OK;
    EXPECT_EQ(showUi->ShowMessage(dialog.GetSafeHwnd(), text, text, MB_OK, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result, 77);
    EXPECT_EQ(dialog.ShowMessages, 2);
    POINT at{};
    EXPECT_EQ(showUi->ShowHelp(dialog.GetSafeHwnd(), nullptr, 0, 0, at, nullptr), S_FALSE);
}

TEST_F(HtmlDialogTest, APlainHtmlDialogShowsNoBrowserMessage) {
    ASSERT_TRUE(Ole.Ok);
    PlainDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ComPtr<IDocHostShowUI> showUi;
    ASSERT_EQ(dialog.ControlSite()->QueryInterface(__uuidof(IDocHostShowUI), showUi.put_void()), S_OK);
    wchar_t text[] = L"alert";
    LRESULT result = 0;
    EXPECT_EQ(showUi->ShowMessage(dialog.GetSafeHwnd(), text, text, MB_OK, nullptr, 0, &result), S_OK);
}

TEST_F(HtmlDialogTest, TheControlFollowsTheDialogsSize) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ::SetWindowPos(dialog.GetSafeHwnd(), nullptr, 0, 0, 420, 310, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND control = ::FindWindowExW(dialog.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    RECT inner{};
    ::GetClientRect(control, &inner);
    const RECT client = dialog.GetClientRect();
    EXPECT_EQ(inner.right, client.right);
    EXPECT_EQ(inner.bottom, client.bottom);
}

TEST_F(HtmlDialogTest, TeardownReleasesEveryReferenceToTheSite) {
    ASSERT_TRUE(Ole.Ok);
    ComPtr<CBrowserControlSite> site;
    {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.Navigate(L"app://x");
        site = ComPtr<CBrowserControlSite>::Attach(dialog.ControlSite());
        site->AddRef();
        dialog.DestroyWindow();
        EXPECT_EQ(dialog.Browser(), nullptr);
        EXPECT_EQ(dialog.ControlSite(), nullptr);
    }
    ASSERT_TRUE(site);
    EXPECT_EQ(site->GetOwner(), nullptr) << "the site forgets the dialog";
    site->AddRef();
    EXPECT_EQ(site->Release(), 1u) << "nobody but this test holds the site";
}

TEST_F(HtmlDialogTest, PictureButtonsClickOnReleaseInsideThroughTheWindow) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    auto button = std::make_shared<FakeElement>();
    button->cls = L"button";
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseOver, button), S_FALSE);
    EXPECT_EQ(button->positions, (std::vector<int>{-50}));
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseDown, button), S_FALSE);
    EXPECT_EQ(::GetCapture(), dialog.GetSafeHwnd()) << "the press takes the capture";
    EXPECT_EQ(button->positions.back(), -100);
    dialog.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 15));
    EXPECT_NE(::GetCapture(), dialog.GetSafeHwnd());
    EXPECT_EQ(button->clicks, 1);
    EXPECT_EQ(button->positions.back(), -50);

    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseDown, button), S_FALSE);
    dialog.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(200, 15));
    EXPECT_EQ(button->clicks, 1) << "released outside: no click";
    EXPECT_EQ(button->positions.back(), 0);
    EXPECT_EQ(dialog.Buttons.Pressed(), nullptr);
}

TEST_F(HtmlDialogTest, TheBodyDragsTheDialogAndOtherElementsAreLeftToThePage) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    auto body = std::make_shared<FakeElement>();
    body->tag = L"BODY";
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseDown, body), S_FALSE);
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseMove, body), S_FALSE);
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseUp, body), S_FALSE);
    EXPECT_EQ(dialog.DispatchElementEvent(ev::ContextMenu, body), S_FALSE);
    EXPECT_EQ(dialog.NcMessages, (std::vector<UINT>{WM_NCLBUTTONDOWN, WM_NCMOUSEMOVE, WM_NCLBUTTONUP}));
    EXPECT_EQ(dialog.NcPoints[0], MAKELPARAM(cursor.x, cursor.y));
    auto span = std::make_shared<FakeElement>();
    span->tag = L"SPAN";
    EXPECT_EQ(dialog.DispatchElementEvent(ev::MouseDown, span), S_OK);
    EXPECT_EQ(dialog.NcMessages.size(), 3u);
}

TEST_F(HtmlDialogTest, EnterNeverClosesAnHtmlDialog) {
    ASSERT_TRUE(Ole.Ok);
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(dialog.GetSafeHwnd()));
}

TEST_F(HtmlDialogTest, TheLoginPageHasNoPictureButtonsAndSwallowsEscAndF5) {
    ASSERT_TRUE(Ole.Ok);
    CLoginDlg login(L"app://nothing");
    ASSERT_TRUE(login.Create(nullptr));
    auto button = std::make_shared<FakeElement>();
    button->cls = L"button";
    EXPECT_EQ(login.DispatchElementEvent(ev::MouseOver, button), S_OK);
    EXPECT_TRUE(button->positions.empty());
    EXPECT_TRUE(login.GetExStyle() & WS_EX_LAYERED);
    EXPECT_TRUE(login.GetExStyle() & WS_EX_TOOLWINDOW);
    COLORREF key = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(login.GetSafeHwnd(), &key, nullptr, &flags));
    EXPECT_EQ(key, RGB(254, 254, 254));
    EXPECT_EQ(flags & LWA_COLORKEY, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_FALSE(::IsWindowVisible(login.GetSafeHwnd())) << "hidden until a page completes";
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_F5}}) {
        MSG msg{login.GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_TRUE(login.PreTranslateMessage(&msg));
    }
}

TEST_F(HtmlDialogTest, SignInWindowsSwallowEnterAndEsc) {
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
        MSG msg{nullptr, WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_TRUE(IsSwallowedSignInKey(msg));
    }
    MSG up{nullptr, WM_KEYUP, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(IsSwallowedSignInKey(up));
    MSG tab{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(IsSwallowedSignInKey(tab));
}

TEST_F(HtmlDialogTest, EscapedPayloadsDecodeThroughTheCodePage) {
    EXPECT_EQ(DecodeLoadGamePayload(L"S5%E6%9C%8D-%E5%8F%8C%E7%BA%BF-abc"), L"S5服-双线-abc");
    EXPECT_EQ(DecodeLoadGamePayload(L"%61%62c"), L"abc");
    EXPECT_EQ(DecodeLoadGamePayload(L"plain服-a-b"), L"plain服-a-b");
    EXPECT_EQ(DecodeLoadGamePayload(L"%FF%FE"), L"\xFFFD\xFFFD");
    // Thousands of characters: cut to what 255 bytes of the code page hold, on a character boundary.
    const std::wstring longPayload = L"%41" + std::wstring(5000, L'x');
    const std::wstring decoded = DecodeLoadGamePayload(longPayload);
    EXPECT_EQ(decoded.size(), 253u); // "%41" is one character after unescaping, then 252 x
    EXPECT_EQ(decoded[0], L'A');
}

// The control hands its in-place active object to the site (IOleInPlaceFrame::SetActiveObject) when
// the page is activated; a fake in its place sees what the page would.
ComPtr<FakeActiveObject> HandFakePageTo(CBrowserControlSite* site, KeyLog& log) {
    ComPtr<FakeActiveObject> page = MakeComObject<FakeActiveObject>(log);
    ComPtr<IOleInPlaceFrame> frame;
    if (site && SUCCEEDED(site->QueryInterface(__uuidof(IOleInPlaceFrame), frame.put_void())))
        frame->SetActiveObject(page.get(), L"page");
    return page;
}

// The control's own window inside a page dialog: where the page's keys are sent.
HWND ControlWindow(HWND host) {
    return ::FindWindowExW(host, nullptr, nullptr, nullptr);
}

TEST_F(HtmlDialogTest, ThePageSeesKeysBeforeTheDialogManagerAndKeepsWhatItTakes) {
    ASSERT_TRUE(Ole.Ok);
    KeyLog log;
    ComPtr<FakeActiveObject> page;
    {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        page = HandFakePageTo(dialog.ControlSite(), log);
        page->Takes = {VK_TAB, VK_BACK};
        const HWND control = ControlWindow(dialog.GetSafeHwnd());
        ASSERT_NE(control, nullptr);
        KeyWindowWatch watch(control, log);

        // Taken: the dialog manager never sees Tab (it would move the focus out of the page).
        PostKeyLikeTheUser(control, WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(SeenOf(log, VK_TAB), (KeyLog{{KeySeen::Page, WM_KEYDOWN, VK_TAB}}));
        PostKeyLikeTheUser(control, WM_KEYDOWN, VK_BACK);
        EXPECT_EQ(SeenOf(log, VK_BACK), (KeyLog{{KeySeen::Page, WM_KEYDOWN, VK_BACK}}));

        // Left alone: it goes on the normal way, after the page.
        PostKeyLikeTheUser(control, WM_KEYDOWN, 'A');
        const KeyLog a = SeenOf(log, 'A');
        ASSERT_GE(a.size(), 2u);
        EXPECT_EQ(a[0], (KeySeen{KeySeen::Page, WM_KEYDOWN, 'A'}));
        EXPECT_EQ(a[1].By, KeySeen::Window) << "then the dialog manager and the window";
        PostKeyLikeTheUser(control, WM_CHAR, 'z');
        const KeyLog z = SeenOf(log, 'z');
        ASSERT_GE(z.size(), 2u);
        EXPECT_EQ(z[0], (KeySeen{KeySeen::Page, WM_CHAR, 'z'}));
        PostKeyLikeTheUser(control, WM_SYSKEYDOWN, VK_F10);
        EXPECT_EQ(SeenOf(log, VK_F10).front(), (KeySeen{KeySeen::Page, WM_SYSKEYDOWN, VK_F10}));

        // Other messages are not keys: the page is not asked.
        const size_t before = log.size();
        PostKeyLikeTheUser(control, WM_MOUSEMOVE, 0);
        EXPECT_EQ(log.size(), before);
        EXPECT_GT(page->OtherReferences(), 0u) << "the site holds the page's object";
    }
    EXPECT_EQ(page->OtherReferences(), 0u) << "released when the dialog goes";
}

TEST_F(HtmlDialogTest, AnObjectHandedOverAgainOrTakenBackIsHeldNoLonger) {
    ASSERT_TRUE(Ole.Ok);
    KeyLog first;
    KeyLog second;
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ComPtr<FakeActiveObject> old = HandFakePageTo(dialog.ControlSite(), first);
    // The document window's SetActiveObject is the same as the frame's.
    ComPtr<FakeActiveObject> page = MakeComObject<FakeActiveObject>(second);
    ComPtr<IOleInPlaceUIWindow> document;
    ASSERT_EQ(dialog.ControlSite()->QueryInterface(__uuidof(IOleInPlaceUIWindow), document.put_void()), S_OK);
    ASSERT_EQ(document->SetActiveObject(page.get(), nullptr), S_OK);
    EXPECT_EQ(old->OtherReferences(), 0u);
    page->Takes = {'Q'};
    const HWND control = ControlWindow(dialog.GetSafeHwnd());
    PostKeyLikeTheUser(control, WM_KEYDOWN, 'Q');
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second, (KeyLog{{KeySeen::Page, WM_KEYDOWN, 'Q'}}));
    ASSERT_EQ(document->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(page->OtherReferences(), 0u);
    PostKeyLikeTheUser(control, WM_KEYDOWN, 'Q');
    EXPECT_EQ(second.size(), 1u);
}

TEST_F(HtmlDialogTest, TheLoginPageKeepsEscAndF5FromThePageAndGivesItTabAndEnter) {
    ASSERT_TRUE(Ole.Ok);
    KeyLog log;
    CLoginDlg login(L"app://nothing");
    ASSERT_TRUE(login.Create(nullptr));
    ComPtr<FakeActiveObject> page = HandFakePageTo(login.ControlSite(), log);
    const HWND control = ControlWindow(login.GetSafeHwnd());
    ASSERT_NE(control, nullptr);
    KeyWindowWatch watch(control, log);
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_F5}}) {
        PostKeyLikeTheUser(control, WM_KEYDOWN, key);
        EXPECT_TRUE(SeenOf(log, key).empty()) << "the login's own rule comes first: " << key;
    }
    for (WPARAM key : {WPARAM{VK_TAB}, WPARAM{VK_RETURN}, WPARAM{VK_DELETE}}) {
        PostKeyLikeTheUser(control, WM_KEYDOWN, key);
        const KeyLog seen = SeenOf(log, key);
        ASSERT_FALSE(seen.empty()) << key;
        EXPECT_EQ(seen.front(), (KeySeen{KeySeen::Page, WM_KEYDOWN, key}));
    }
    page->Takes = {'C'};
    PostKeyLikeTheUser(control, WM_KEYDOWN, 'C');
    EXPECT_EQ(SeenOf(log, 'C'), (KeyLog{{KeySeen::Page, WM_KEYDOWN, 'C'}}));
}

TEST_F(HtmlDialogTest, TheSignInPageKeepsEnterAndEscFromThePageAndGivesItTheRest) {
    ASSERT_TRUE(Ole.Ok);
    KeyLog log;
    CQQLogin container;
    container.AuthPage.StartUrl = L"app://nothing";
    ASSERT_TRUE(container.Create(nullptr));
    ::ShowWindow(container.GetSafeHwnd(), SW_SHOW);
    ASSERT_NE(container.AuthPage.GetSafeHwnd(), nullptr);
    ComPtr<FakeActiveObject> page = HandFakePageTo(container.AuthPage.ControlSite(), log);
    const HWND control = ControlWindow(container.AuthPage.GetSafeHwnd());
    ASSERT_NE(control, nullptr);
    KeyWindowWatch watch(control, log);
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
        PostKeyLikeTheUser(control, WM_KEYDOWN, key);
        EXPECT_TRUE(SeenOf(log, key).empty()) << key;
    }
    page->Takes = {VK_TAB};
    PostKeyLikeTheUser(control, WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(SeenOf(log, VK_TAB), (KeyLog{{KeySeen::Page, WM_KEYDOWN, VK_TAB}}));
    PostKeyLikeTheUser(control, WM_KEYDOWN, 'V');
    const KeyLog v = SeenOf(log, 'V');
    ASSERT_GE(v.size(), 2u);
    EXPECT_EQ(v.front(), (KeySeen{KeySeen::Page, WM_KEYDOWN, 'V'}));
    container.DestroyWindow();
    EXPECT_EQ(page->OtherReferences(), 0u);
}

} // namespace
