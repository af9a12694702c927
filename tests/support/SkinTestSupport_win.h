// Helpers for the skinned-window tests: driving an in-process modal window from a second thread,
// reading pixels off the screen and out of bitmaps, counting GDI objects, saving screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zarn::test {

// Runs `action` on a thread of its own; the destructor waits for it. Use it to answer a modal window
// that the test's own thread runs.
class BackgroundDriver {
  public:
    explicit BackgroundDriver(std::function<void()> action) : thread_(std::move(action)) {}
    ~BackgroundDriver() {
        if (thread_.joinable())
            thread_.join();
    }
    BackgroundDriver(const BackgroundDriver&) = delete;
    BackgroundDriver& operator=(const BackgroundDriver&) = delete;

  private:
    std::thread thread_;
};

// The first visible top-level window of this process with this title; null on time-out.
HWND WaitForOwnWindow(const std::wstring& title, DWORD timeoutMs = 10000);

// For a driver thread: whether the dialog it waited for showed (`shown`). When it did not, the dialog
// (if made at all) is cancelled, so that the test fails instead of hanging in its modal loop.
bool ShownElseCancel(HWND shown, HWND dialog);

// Posts a marker to a window of this process and waits until its thread takes the marker off its
// queue: by then everything posted to that thread before it has been handled. False on time-out.
bool WaitUntilPostedHandled(HWND wnd, DWORD timeoutMs = 10000);

// What the screen shows in a window's rectangle, row by row (captured from the screen DC).
struct Capture {
    int Width = 0, Height = 0;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
Capture CaptureWindow(HWND wnd);
// Waits until the window has painted (a few message-free moments), then captures it.
Capture CaptureWindowSettled(HWND wnd);

// A pixel of a bitmap.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y);

// The GDI objects this process holds.
DWORD GdiObjectCount();

// The folder named by ZARN_GALLERY_DIR, or empty when gallery mode is off.
std::wstring GalleryFolder();
// Saves a window's capture as a 24-bit BMP in the gallery folder (when on); the file's path or empty.
std::wstring SaveGalleryShot(HWND wnd, const std::wstring& name);

} // namespace zarn::test
