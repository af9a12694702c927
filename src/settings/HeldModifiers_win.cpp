// The modifier mask of the thread's key state.
#include "settings/HeldModifiers_win.h"

#include <windows.h>

namespace zarn {
namespace {

bool KeyIsDown(int virtualKey) {
    return (::GetKeyState(virtualKey) & 0xFF00) != 0;
}

} // namespace

int HeldModifierMask() {
    return (KeyIsDown(VK_MENU) ? 1 : 0) | (KeyIsDown(VK_CONTROL) ? 2 : 0) | (KeyIsDown(VK_SHIFT) ? 4 : 0);
}

} // namespace zarn
