// Real input for the Windows-side tests: xdotool (a program of the X display Wine draws on) started
// from the test, and a watch on a thread's queue that tells when a given input message was taken.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"

namespace zarn::test {

// Starts "/usr/bin/xdotool <arguments>" on the display of this Wine session. Wine gives no waitable
// handle for a program of the host, so callers wait for the input's effect (see QueueWatch). False
// when it could not be started.
bool StartXdotool(const std::wstring& arguments);

// Watches the queue of one thread of this process (WH_GETMESSAGE). Arm(message, wParam) and then
// Wait: true once that thread has taken such a message off its queue, by which time every input
// before it has been handled. One watch at a time per process.
class QueueWatch {
  public:
    explicit QueueWatch(DWORD threadId);
    ~QueueWatch();
    QueueWatch(const QueueWatch&) = delete;
    QueueWatch& operator=(const QueueWatch&) = delete;

    bool ok() const { return hook_ && seen_; }
    // message 0 matches WM_KEYUP and WM_SYSKEYUP alike.
    void Arm(UINT message, WPARAM wParam);
    bool Wait(DWORD timeoutMs = 10000);

  private:
    UniqueHandle seen_;
    UniqueHook hook_;
};

// Clicks the middle of a window with the real mouse and waits until its thread has taken the
// button-up; presses a key combination (xdotool names, "ctrl+Tab") and waits for the key-up of its
// last key (virtual-key code `key`) on the watched thread.
bool RealClick(QueueWatch& watch, HWND wnd);
bool RealKey(QueueWatch& watch, const std::wstring& combination, WPARAM key);

} // namespace zarn::test
