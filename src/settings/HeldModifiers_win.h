// The modifiers held for the key message being handled, from the thread's key state.
#pragma once

namespace zarn {

// Alt 1, Ctrl 2, Shift 4, for each of Alt, Ctrl and Shift whose state's high byte is set.
int HeldModifierMask();

} // namespace zarn
