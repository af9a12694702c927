// A second process for the tests that need windows of another process: the test executable started
// again in a helper role, which makes one window bound to an object of its own and reports it.
#pragma once

#include <windows.h>

#include "framework/Handle.h"
#include "support/WinTestSupport_win.h"

namespace zarn::test {

// Posted by the helper to the receiver window once its window exists; wParam is that window.
constexpr UINT HelperReadyMessage = WM_APP + 0x100;
// Sent to the helper's window: it answers HelperAnswer.
constexpr UINT HelperQuestionMessage = WM_APP + 0x101;
constexpr LRESULT HelperAnswer = 42;
// Posted to the helper's window: it posts HelperEchoMessage back to the receiver.
constexpr UINT HelperPingMessage = WM_APP + 0x102;
constexpr UINT HelperEchoMessage = WM_APP + 0x103;

enum class HelperRole {
    Responsive, // a hidden window whose thread pumps messages
    Hung,       // a hidden window whose thread then blocks until the helper is ended
};

// The helper process; ended (if still running) when this goes.
class HelperProcess {
  public:
    // Starts the helper. Its window is a child of `parent` when that is given (a hidden popup
    // otherwise); it reports to `receiver`, a window of the calling thread.
    HelperProcess(HelperRole role, HWND receiver, HWND parent = nullptr);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Pumps this thread's messages until the helper's window is reported; null when the helper
    // ended first or no report came within timeoutMs.
    HWND WaitForWindow(DWORD timeoutMs = 30000);
    // Ends the helper now (pumping this thread's messages while it goes).
    void End();

  private:
    Program Process_;
    HWND Receiver_;
};

// Pumps this thread's messages until `message` reaches a window of the thread (it is dispatched
// too); false when `stop` (optional) is signalled first or timeoutMs passes. *wParam gets its wParam.
bool PumpUntilMessage(UINT message, DWORD timeoutMs, HANDLE stop = nullptr, WPARAM* wParam = nullptr);
// Pumps this thread's messages until `object` is signalled; false on time-out.
bool PumpUntilSignalled(HANDLE object, DWORD timeoutMs);

} // namespace zarn::test
