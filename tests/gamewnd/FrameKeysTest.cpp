// The game frame's rules for keys and commands, and the sound state it applies.
#include <gtest/gtest.h>

#include "gamewnd/FrameKeys.h"

using namespace zarn;

namespace {
constexpr unsigned KeyDown = 0x100, Char = 0x102, SysKeyDown = 0x104, SysCommand = 0x112;
constexpr int Ctrl = 2, Alt = 1;
constexpr int64_t Mark = 6021;
constexpr int64_t CtrlDFlags = 0x00200001; // D's scan code, repeat count 1

FrameHotKeys Defaults() {
    return FrameHotKeys{HotKey{0x79, 0}, HotKey{0x09, Ctrl}, HotKey{0x51, Ctrl}}; // F10, Ctrl+Tab, Ctrl+Q
}
} // namespace

TEST(FrameKeys, TheSwitchKeyGoesToTheLauncherWithItsExactModifiers) {
    const FrameHotKeys keys = Defaults();
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x09, 0x000F0001, Ctrl, keys), FrameKeyAction::ForwardSwitch);
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x09, 0x000F0001, Ctrl | Alt, keys), FrameKeyAction::None);
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x09, 0x000F0001, 0, keys), FrameKeyAction::None);
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x09, Mark, Ctrl, keys), FrameKeyAction::None)
        << "our own message";
    FrameHotKeys altKeys = keys;
    altKeys.Switch = HotKey{0x31, Alt};
    EXPECT_EQ(ClassifyFrameMessage(SysKeyDown, 0x31, 0x20020001, Alt, altKeys),
              FrameKeyAction::ForwardSwitch);
    FrameHotKeys unread;
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x09, 1, Ctrl, unread), FrameKeyAction::None);
}

TEST(FrameKeys, CtrlDNeedsTheDKeysFlagsExactly) {
    const FrameHotKeys keys = Defaults();
    EXPECT_EQ(ClassifyFrameMessage(Char, 4, CtrlDFlags, Ctrl, keys), FrameKeyAction::Favourites);
    EXPECT_EQ(ClassifyFrameMessage(Char, 4, 0x40200001, Ctrl, keys), FrameKeyAction::None) << "a repeat";
    EXPECT_EQ(ClassifyFrameMessage(Char, 4, 0x00300001, Ctrl, keys), FrameKeyAction::None);
    EXPECT_EQ(ClassifyFrameMessage(Char, 5, CtrlDFlags, Ctrl, keys), FrameKeyAction::None);
}

TEST(FrameKeys, F5ReloadsUnlessItIsAPlainHotKeyOfTheLauncher) {
    FrameHotKeys keys = Defaults();
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, 0x003F0001, 0, keys), FrameKeyAction::Reload);
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, Mark, 0, keys), FrameKeyAction::Reload);
    keys.Boss = HotKey{0x74, 0};
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, 0x003F0001, 0, keys), FrameKeyAction::IgnoreF5);
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, Mark, 0, keys), FrameKeyAction::Reload);
    keys.Boss = HotKey{0x74, Ctrl};
    keys.Sound = HotKey{0x74, 0};
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, 0x003F0001, 0, keys), FrameKeyAction::IgnoreF5);
    keys.Sound = HotKey{0x74, Alt};
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, 0x003F0001, 0, keys), FrameKeyAction::Reload);
    EXPECT_EQ(ClassifyFrameMessage(SysKeyDown, 0x74, 0x003F0001, Alt, keys), FrameKeyAction::None);
}

TEST(FrameKeys, TheSwitchKeyComesBeforeF5AndCloseArmsTheSweep) {
    FrameHotKeys keys = Defaults();
    keys.Switch = HotKey{0x74, 0};
    EXPECT_EQ(ClassifyFrameMessage(KeyDown, 0x74, 0x003F0001, 0, keys), FrameKeyAction::ForwardSwitch);
    EXPECT_EQ(ClassifyFrameMessage(SysCommand, 0xF060, 0, 0, keys), FrameKeyAction::CloseRequest);
    EXPECT_EQ(ClassifyFrameMessage(SysCommand, 0xF063, Mark, 0, keys), FrameKeyAction::CloseRequest);
    EXPECT_EQ(ClassifyFrameMessage(SysCommand, 0xF020, 0, 0, keys), FrameKeyAction::None);
}

TEST(SoundStateFilter, TheFirstAlwaysAppliesThenOnlyChanges) {
    SoundStateFilter zeroFirst;
    EXPECT_TRUE(zeroFirst.ShouldApply(0));
    EXPECT_FALSE(zeroFirst.ShouldApply(0));
    EXPECT_TRUE(zeroFirst.ShouldApply(1));
    EXPECT_FALSE(zeroFirst.ShouldApply(1));
    EXPECT_TRUE(zeroFirst.ShouldApply(0));
    SoundStateFilter oneFirst;
    EXPECT_TRUE(oneFirst.ShouldApply(1));
    EXPECT_FALSE(oneFirst.ShouldApply(1));
}
