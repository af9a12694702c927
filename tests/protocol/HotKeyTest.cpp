// A hot key matches a key-down with exactly its modifiers, as the tracker follows them.
#include <set>

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

// A release the stream lost: the physical state denies the followed Ctrl, and reading it again gives
// the keys that are down, whichever of the generic, left and right codes says so.
TEST(HotKeyMatch, TheTrackedMaskFollowsThePhysicalStateAgain) {
    ModifierTracker held;
    held.OnKey(0xA3, true); // right Ctrl, whose release never comes
    std::set<int> down;
    const auto physical = [&](int vk) { return down.count(vk) != 0; };
    EXPECT_TRUE(held.Denied(physical));
    down = {0x11};
    EXPECT_FALSE(held.Denied(physical)) << "the generic code says Ctrl is down";
    down = {0xA2};
    EXPECT_FALSE(held.Denied(physical)) << "so does left Ctrl";
    down = {0xA0, 0x10};
    EXPECT_TRUE(held.Denied(physical)) << "Shift is no Ctrl";
    held.Resync(physical);
    EXPECT_EQ(held.Mask(), 4);
    EXPECT_FALSE(held.Denied(physical));
    held.OnKey(0xA0, false);
    EXPECT_EQ(held.Mask(), 0) << "the release of left Shift clears the generic reading too";
    down = {0x12};
    held.Resync(physical);
    EXPECT_EQ(held.Mask(), 1);
    EXPECT_TRUE(ModifierTracker::IsModifier(0xA5));
    EXPECT_FALSE(ModifierTracker::IsModifier(0x79)) << "F10";
}
