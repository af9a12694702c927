// The test build's remote control of a hosted browser: a test process sends a WM_COPYDATA with dwData
// BrowserCommandData and a UTF-16 text "<verb>\n<argument>" to the window that hosts the control. The
// release build links answers that accept none. Under Wine no page ever completes, so these commands
// stand in for what the control would report.
//
// Verbs: "navigate" makes the real control navigate; "complete" delivers NavigateComplete2 and
// DocumentComplete for the URL; "title" delivers TitleChange; "cookie" (URL, name and value on three
// lines) sets a cookie in this process's store, "httponlycookie" an HttpOnly one; "box" opens a modeless
// system dialog owned by the host window, titled by the argument ("ZarnSweepProbe" when empty). A view
// also takes "boxonclose <title>": it runs a modal system box titled so while it is being destroyed,
// as a page's unload handler may.
#pragma once

#include <windows.h>

namespace zarn {

class WebBrowserHost;

namespace testbuild {

inline constexpr ULONG_PTR BrowserCommandData = 0x5A505447;
// The window property that marks the test build's page dialogs, so that a test can find them.
inline constexpr const wchar_t* PageDialogProperty = L"ZarnPageDialog";

enum class BrowserHostKind { PageDialog, View };

// The host's control is in place; a page dialog of the test build gets PageDialogProperty.
void BrowserHostCreated(HWND host, BrowserHostKind kind);
// Queues the command a WM_COPYDATA to `host` carries and posts runMessage to it, on which the host
// calls RunBrowserCommands: the sender is not kept waiting while a command shows windows. False
// (nothing queued) when it is no command, or when this is not the test build.
bool AcceptBrowserCommand(HWND host, LPARAM copyData, UINT runMessage);
void RunBrowserCommands(HWND host, WebBrowserHost& browser);
// WM_DESTROY of the host: runs what a test asked to happen then and forgets the host.
void BrowserHostDestroyed(HWND host);

} // namespace testbuild
} // namespace zarn
