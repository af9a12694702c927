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

// The modifiers held, followed from a stream of key-down and key-up events (the left, right and generic
// codes of Ctrl, Shift and Alt alike), so the mask belongs to the moment of each event.
class ModifierTracker {
  public:
    void OnKey(int virtualKey, bool down) {
        const unsigned bit = BitOf(virtualKey);
        if (bit == 0)
            return;
        // A release also clears the generic code, which only the initial reading sets.
        Held = down ? (Held | bit) : (Held & ~(bit | GenericBit(GroupOf(bit))));
    }
    // Whether the physical state denies a modifier followed as held: none of its codes is down.
    // isDown(virtualKey) reads the physical state.
    template <typename IsDown> bool Denied(IsDown isDown) const {
        for (const Group& g : Groups)
            if ((Held & g.Bits) && !isDown(g.Codes[0]) && !isDown(g.Codes[1]) && !isDown(g.Codes[2]))
                return true;
        return false;
    }
    // Follows the physical state from now on: an event the stream lost (a key-up on another desktop, a
    // hook call the system gave up on) no longer counts.
    template <typename IsDown> void Resync(IsDown isDown) {
        Held = 0;
        for (const Group& g : Groups)
            for (int vk : g.Codes)
                if (isDown(vk))
                    Held |= BitOf(vk);
    }
    // Whether the code is one of the followed modifiers.
    static bool IsModifier(int virtualKey) { return BitOf(virtualKey) != 0; }
    // Alt 1, Ctrl 2, Shift 4.
    int Mask() const {
        int mask = 0;
        for (const Group& g : Groups)
            if (Held & g.Bits)
                mask |= g.MaskBit;
        return mask;
    }

  private:
    // Each modifier has three bits in Held, one for each of its codes: the generic one (which only a
    // reading of the key state gives), left and right.
    struct Group {
        unsigned Bits;
        int MaskBit;
        int Codes[3]; // generic, left, right
    };
    static constexpr Group Groups[] = {{0x7, 4, {0x10, 0xA0, 0xA1}},    // Shift
                                       {0x38, 2, {0x11, 0xA2, 0xA3}},   // Ctrl
                                       {0x1C0, 1, {0x12, 0xA4, 0xA5}}}; // Alt
    static unsigned BitOf(int vk) {
        unsigned bit = 1;
        for (const Group& g : Groups)
            for (int code : g.Codes) {
                if (code == vk)
                    return bit;
                bit <<= 1;
            }
        return 0;
    }
    static const Group& GroupOf(unsigned bit) {
        for (const Group& g : Groups)
            if (bit & g.Bits)
                return g;
        return Groups[0];
    }
    static unsigned GenericBit(const Group& g) { return g.Bits & (0u - g.Bits); }
    unsigned Held = 0;
};

} // namespace zarn
