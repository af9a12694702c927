// The game view's navigation rule, with BeforeNavigate2 delivered by hand: a page may open http,
// https, about and javascript addresses as the page dialogs do; every other scheme is cancelled, and
// so is the hall's entergame command, which the view runs itself.
#include "gamewnd/GmWndView_win.h"

#include <exdispid.h>

#include <gtest/gtest.h>

#include "support/BrowserTestSupport_win.h"

using namespace zarn;
using zarn::test::BeforeNavigateArgs;

namespace {

// Whether the view cancels a navigation to url that the browser itself would let go ahead.
bool Cancels(CGmWndView& view, const wchar_t* url) {
    BeforeNavigateArgs args(url, false);
    view.OnBrowserEvent(DISPID_BEFORENAVIGATE2, args.Params);
    return args.Cancel != VARIANT_FALSE;
}

TEST(GameView, APageOpensOnlyTheSchemesThePageDialogsAllow) {
    CGmWndView view;
    for (const wchar_t* url : {L"http://localhost/zarn/game.html?server=5", L"HTTPS://localhost/",
                               L"about:blank", L"javascript:void(0)"})
        EXPECT_FALSE(Cancels(view, url)) << testing::PrintToString(std::wstring(url));
    for (const wchar_t* url :
         {L"file:///C:/windows/system32/calc.exe", L"res://ieframe.dll/navcancl.htm", L"shell:Startup",
          L"mk:@MSITStore:C:\\x.chm::/y.htm", L"vbscript:msgbox(1)", L"ms-settings:", L"zarn:start",
          L"\\\\server\\share\\setup.exe", L"C:\\Windows\\notepad.exe", L"app://other", L"app://entergame|"})
        EXPECT_TRUE(Cancels(view, url)) << testing::PrintToString(std::wstring(url));
}

} // namespace
