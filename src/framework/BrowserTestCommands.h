// The test build's remote control of a hosted browser: a test process sends a WM_COPYDATA with
// dwData BrowserTestCommandData and a UTF-16 text "<verb>\n<argument>" to the window that hosts the
// control. The release build accepts none. Under Wine no page ever completes, so these commands
// stand in for what the control would report.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "framework/WebBrowser.h"

namespace zarn {

inline constexpr ULONG_PTR BrowserTestCommandData = 0x5A505447;

// Verbs: "navigate" makes the real control navigate; "complete" delivers NavigateComplete2 and
// DocumentComplete for the URL; "title" delivers TitleChange; "cookie" (URL, name and value on three
// lines) sets a cookie in this process's store, "httponlycookie" an HttpOnly one; "box" opens a modeless
// system dialog owned by the host window, titled by the argument ("ZarnSweepProbe" when empty).
class BrowserTestCommands {
  public:
    // Handles the verbs a host adds; true when it took the verb.
    using ExtraVerb = std::function<bool(const std::wstring& verb, const std::wstring& argument)>;

    // Queues the command a WM_COPYDATA to `host` carries and posts runMessage to it, on which the host
    // runs the queue: the sender is not kept waiting while a command shows windows. False (nothing
    // queued) when it is no command, or when this is not the test build.
    bool Accept(LPARAM copyData, HWND host, UINT runMessage);
    void RunAll(WebBrowserHost& host, HWND owner, const ExtraVerb& extra = {});

  private:
    std::deque<std::wstring> Queue_;
};

// A system dialog ("#32770") with this title owned by `owner`: modeless, or run modally until
// something ends or destroys it.
HWND CreateProbeBox(HWND owner, const std::wstring& title);
void RunProbeBoxModal(HWND owner, const std::wstring& title);

} // namespace zarn
