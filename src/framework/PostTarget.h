// A window that worker threads post to while it is open: how a thread reports to a dialog or window
// that may end before the thread does.
#pragma once

#include <windows.h>

#include <mutex>

namespace zarn {

// Closing it withdraws the handle under the lock every post takes, so once Close has returned nothing
// more reaches the window's handle, nor a later window that happens to get the same handle value.
class PostTarget {
  public:
    explicit PostTarget(HWND window) : Window(window) {}
    PostTarget(const PostTarget&) = delete;
    PostTarget& operator=(const PostTarget&) = delete;

    // PostMessageW while open; false once closed (or when the post failed).
    bool Post(UINT msg, WPARAM w, LPARAM l);
    void Close();
    bool IsOpen();

  private:
    std::mutex Lock;
    HWND Window;
};

} // namespace zarn
