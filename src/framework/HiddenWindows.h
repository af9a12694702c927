// HiddenWindows: the visible top-level windows of this process put away together and brought back as
// they were (the boss key hides every window of the program, in each of its processes).
#pragma once

#include <windows.h>

#include <vector>

namespace zarn {

class HiddenWindows {
  public:
    // Hides every visible top-level window of this process but `except` (tooltips excepted: they
    // come and go by themselves), remembering them; nothing when they are already hidden.
    void Hide(HWND except = nullptr);
    // Shows again, without activating them, the windows Hide put away that still exist, in their
    // order; the topmost of them that is enabled, or null.
    HWND Restore();
    bool Empty() const { return Windows.empty(); }

  private:
    std::vector<HWND> Windows; // top first
};

} // namespace zarn
