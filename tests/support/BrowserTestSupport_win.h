// Helpers for tests that drive hosted browsers: the test build's commands, the local portal's page
// addresses, and the arguments of a BeforeNavigate2 event to deliver by hand.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace zarn::test {

// Sends a browser test command ("complete", "navigate", "title", "box", ...) to the window hosting a
// browser of the test build, and waits until it has been queued.
void BrowserCommand(HWND host, const std::wstring& verb, const std::wstring& argument);
// "http://" + the portal's host + pathAndQuery.
std::wstring PortalUrl(const std::wstring& pathAndQuery);

// BeforeNavigate2's seven arguments (reversed), the URL by reference and cancel as given.
struct BeforeNavigateArgs {
    explicit BeforeNavigateArgs(const wchar_t* url, bool cancel) {
        Url.vt = VT_BSTR;
        Url.bstrVal = ::SysAllocString(url);
        Cancel = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        for (VARIANT& v : Args)
            ::VariantInit(&v);
        Args[5].vt = VT_VARIANT | VT_BYREF;
        Args[5].pvarVal = &Url;
        Args[0].vt = VT_BOOL | VT_BYREF;
        Args[0].pboolVal = &Cancel;
        Params = DISPPARAMS{Args, nullptr, 7, 0};
    }
    ~BeforeNavigateArgs() { ::VariantClear(&Url); }
    BeforeNavigateArgs(const BeforeNavigateArgs&) = delete;
    BeforeNavigateArgs& operator=(const BeforeNavigateArgs&) = delete;
    VARIANT Url;
    VARIANT_BOOL Cancel;
    VARIANT Args[7];
    DISPPARAMS Params;
};

} // namespace zarn::test
