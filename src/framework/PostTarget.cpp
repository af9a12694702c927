// Posting to a window that may close while a thread still runs.
#include "framework/PostTarget.h"

namespace zarn {

bool PostTarget::Post(UINT msg, WPARAM w, LPARAM l) {
    std::lock_guard<std::mutex> hold(Lock);
    return Window && ::PostMessageW(Window, msg, w, l);
}

void PostTarget::Close() {
    std::lock_guard<std::mutex> hold(Lock);
    Window = nullptr;
}

bool PostTarget::IsOpen() {
    std::lock_guard<std::mutex> hold(Lock);
    return Window != nullptr;
}

} // namespace zarn
