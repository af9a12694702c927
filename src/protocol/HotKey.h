// A hot key in memory and the rule by which a key-down matches it. Portable.
#pragma once

#include <initializer_list>

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

// The modifiers held, followed from a stream of key-down and key-up events (the left, right and generic
// codes of Ctrl, Shift and Alt alike), so the mask belongs to the moment of each event.
class ModifierTracker {
  public:
    void OnKey(int virtualKey, bool down) {
        const unsigned bit = BitOf(virtualKey);
        if (bit == 0)
            return;
        // A release also clears the generic code, which only the initial reading sets.
        const unsigned generic = (bit & ShiftBits) ? 0x1 : (bit & CtrlBits) ? 0x8 : 0x40;
        Held = down ? (Held | bit) : (Held & ~(bit | generic));
    }
    // Whether the physical state denies a modifier followed as held: none of its codes is down.
    // isDown(virtualKey) reads the physical state.
    template <typename IsDown> bool Denied(IsDown isDown) const {
        for (const Group& g : Groups)
            if ((Held & g.Bits) && !isDown(g.Generic) && !isDown(g.Left) && !isDown(g.Right))
                return true;
        return false;
    }
    // Follows the physical state from now on: an event the stream lost (a key-up on another desktop, a
    // hook call the system gave up on) no longer counts.
    template <typename IsDown> void Resync(IsDown isDown) {
        Held = 0;
        for (const Group& g : Groups)
            for (int vk : {g.Generic, g.Left, g.Right})
                if (isDown(vk))
                    Held |= BitOf(vk);
    }
    // Whether the code is one of the followed modifiers.
    static bool IsModifier(int virtualKey) { return BitOf(virtualKey) != 0; }
    // Alt 1, Ctrl 2, Shift 4.
    int Mask() const {
        int mask = 0;
        if (Held & CtrlBits)
            mask |= 2;
        if (Held & ShiftBits)
            mask |= 4;
        if (Held & AltBits)
            mask |= 1;
        return mask;
    }

  private:
    static constexpr unsigned ShiftBits = 0x7, CtrlBits = 0x38, AltBits = 0x1C0;
    struct Group {
        unsigned Bits;
        int Generic, Left, Right;
    };
    static constexpr Group Groups[] = {
        {ShiftBits, 0x10, 0xA0, 0xA1}, {CtrlBits, 0x11, 0xA2, 0xA3}, {AltBits, 0x12, 0xA4, 0xA5}};
    static unsigned BitOf(int vk) {
        switch (vk) {
        case 0x10:
            return 0x1; // VK_SHIFT
        case 0xA0:
            return 0x2; // VK_LSHIFT
        case 0xA1:
            return 0x4; // VK_RSHIFT
        case 0x11:
            return 0x8; // VK_CONTROL
        case 0xA2:
            return 0x10; // VK_LCONTROL
        case 0xA3:
            return 0x20; // VK_RCONTROL
        case 0x12:
            return 0x40; // VK_MENU
        case 0xA4:
            return 0x80; // VK_LMENU
        case 0xA5:
            return 0x100; // VK_RMENU
        default:
            return 0;
        }
    }
    unsigned Held = 0;
};

} // namespace zarn
