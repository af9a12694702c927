// A hot key matches a key-down with exactly its modifiers, as the tracker follows them.
#include <gtest/gtest.h>

#include "protocol/HotKey.h"

using namespace zarn;

TEST(HotKeyMatch, ExactModifiersAndTheTrackedMask) {
    const HotKey boss{121, 0};
    EXPECT_TRUE(MatchesHotKey(boss, 121, 0));
    EXPECT_FALSE(MatchesHotKey(boss, 121, 2 | 4)) << "Ctrl+Shift+F10 is not F10";
    EXPECT_FALSE(MatchesHotKey(HotKey{}, -1, 0)) << "unread keys match nothing";
    ModifierTracker held;
    held.OnKey(0xA2, true); // left Ctrl
    held.OnKey(0xA1, true); // right Shift
    EXPECT_EQ(held.Mask(), 2 | 4);
    held.OnKey(0xA1, false);
    EXPECT_EQ(held.Mask(), 2);
    held.OnKey(0x12, true); // generic Alt, as an initial reading gives it
    held.OnKey(0xA4, false);
    EXPECT_EQ(held.Mask(), 2) << "releasing left Alt clears the generic reading";
    held.OnKey(0x51, true); // Q is no modifier
    EXPECT_EQ(held.Mask(), 2);
}
