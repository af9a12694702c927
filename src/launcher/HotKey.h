// A hot key in memory and the rule by which a key-down matches it. Portable.
#pragma once

namespace zarn {

// Virtual-key code and modifier mask (Alt 1, Ctrl 2, Shift 4). Both -1 until first read: no keystroke
// matches that.
struct HotKey {
    int Key = -1;
    int ModifierMask = -1;
};

// A key-down matches when its code equals the key and the modifiers held equal the mask exactly.
inline bool MatchesHotKey(const HotKey& hotKey, int virtualKey, int modifierMask) {
    return hotKey.Key == virtualKey && hotKey.ModifierMask == modifierMask;
}

} // namespace zarn
