// The key boxes' capture rules per box, the conflict rule and the save rule.
#include "settings/HotKeyCapture.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {

constexpr HotKeyBox AllBoxes[] = {HotKeyBox::Boss, HotKeyBox::Switch, HotKeyBox::Sound};
constexpr int Tab = 0x09, Back = 0x08, Space = 0x20, F10 = 0x79, F12 = 0x7B, KeyQ = 0x51, KeyX = 0x58;

// A press in a box that remembered key 77, then what OK would save for that box.
CapturedKey Press(HotKeyBox box, int key, int modifiers) {
    return CaptureKey(box, key, modifiers, 77);
}

TEST(HotKeyCapture, AcceptedKeysShowTheHeldModifiersAndTheName) {
    for (HotKeyBox box : AllBoxes) {
        CapturedKey captured = Press(box, KeyX, ModCtrl);
        EXPECT_EQ(captured.Text, L"Ctrl  +  X");
        EXPECT_EQ(captured.KeyCode, KeyX);
        captured = Press(box, 0x41, ModCtrl | ModShift | ModAlt);
        EXPECT_EQ(captured.Text, L"Ctrl  +  Shift  +  Alt  +  A");
        captured = Press(box, F10, 0);
        EXPECT_EQ(captured.Text, L"F10");
        EXPECT_EQ(captured.KeyCode, F10);
        captured = Press(box, 0xDC, ModShift);
        EXPECT_EQ(captured.Text, L"Shift  +  \\");
    }
}

TEST(HotKeyCapture, AModifierAloneShowsOnlyTheModifierPart) {
    const CapturedKey ctrl = Press(HotKeyBox::Boss, 0x11, ModCtrl);
    EXPECT_EQ(ctrl.Text, L"Ctrl  +  ");
    EXPECT_EQ(ctrl.KeyCode, 77) << "the remembered key stays";
    EXPECT_EQ(Press(HotKeyBox::Sound, 0x10, ModShift).Text, L"Shift  +  ");
    EXPECT_EQ(Press(HotKeyBox::Switch, 0x12, ModAlt).Text, L"Alt  +  ");
    EXPECT_EQ(Press(HotKeyBox::Switch, 0x12, ModCtrl | ModAlt).Text, L"Ctrl  +  Alt  +  ");
}

TEST(HotKeyCapture, BackspaceDeleteAndWindowsKeysClearEveryBox) {
    for (HotKeyBox box : AllBoxes) {
        for (int key : {Back, 0x2E, 0x5B, 0x5C}) {
            const CapturedKey captured = Press(box, key, ModCtrl);
            EXPECT_EQ(captured.Text, L"无") << key;
            EXPECT_EQ(captured.KeyCode, 77) << "the remembered key stays";
        }
    }
}

TEST(HotKeyCapture, F12ClearsTheBossAndSoundBoxesButNotTheSwitchBox) {
    EXPECT_EQ(Press(HotKeyBox::Boss, F12, ModCtrl).Text, L"无");
    EXPECT_EQ(Press(HotKeyBox::Sound, F12, 0).Text, L"无");
    const CapturedKey inSwitch = Press(HotKeyBox::Switch, F12, ModCtrl);
    EXPECT_EQ(inSwitch.Text, L"Ctrl  +  ");
    EXPECT_EQ(inSwitch.KeyCode, 77);
    EXPECT_EQ(Press(HotKeyBox::Switch, F12, 0).Text, L"");
}

TEST(HotKeyCapture, OnlyTheSwitchBoxTakesTab) {
    const CapturedKey inSwitch = Press(HotKeyBox::Switch, Tab, ModCtrl);
    EXPECT_EQ(inSwitch.Text, L"Ctrl  +  Tab");
    EXPECT_EQ(inSwitch.KeyCode, Tab);
    const std::optional<StoredHotKey> saved = HotKeyToSave(inSwitch.Text, inSwitch.KeyCode);
    ASSERT_TRUE(saved);
    EXPECT_EQ(EncodeHotKey(saved->Modifiers, saved->Key), L"2,9");

    for (HotKeyBox box : {HotKeyBox::Boss, HotKeyBox::Sound}) {
        const CapturedKey captured = Press(box, Tab, ModCtrl);
        EXPECT_EQ(captured.Text, L"Ctrl  +  ");
        EXPECT_EQ(captured.KeyCode, 77);
        EXPECT_FALSE(HotKeyToSave(captured.Text, captured.KeyCode)) << "not saved";
        EXPECT_FALSE(HotKeyToSave(Press(box, Tab, 0).Text, 77)) << "an empty text is not saved";
    }
}

TEST(HotKeyCapture, SpaceAndOtherRefusedKeysShowOnlyTheModifiers) {
    for (HotKeyBox box : AllBoxes) {
        EXPECT_EQ(Press(box, Space, ModShift).Text, L"Shift  +  ");
        EXPECT_EQ(Press(box, Space, 0).Text, L"");
        for (int key : {0x13 /* Pause */, 0x91 /* Scroll Lock */, 0x6C, 0xFF, 0}) {
            const CapturedKey captured = Press(box, key, ModAlt);
            EXPECT_EQ(captured.Text, L"Alt  +  ") << key;
            EXPECT_EQ(captured.KeyCode, 77) << key;
        }
    }
}

TEST(HotKeyCapture, WhichKeyMessagesAreLookedAt) {
    EXPECT_TRUE(IsCapturedKeyMessage(false, KeyQ));
    EXPECT_TRUE(IsCapturedKeyMessage(false, 0x1B));
    EXPECT_TRUE(IsCapturedKeyMessage(true, F10));
    EXPECT_TRUE(IsCapturedKeyMessage(true, 0x12));
    EXPECT_FALSE(IsCapturedKeyMessage(true, KeyQ)) << "Alt combinations other than Alt + F10";
    EXPECT_FALSE(IsCapturedKeyMessage(true, 0x7A));
    EXPECT_TRUE(IsSwallowedKey(0x1B));
    EXPECT_TRUE(IsSwallowedKey(0x0D));
    EXPECT_FALSE(IsSwallowedKey(Back));
    EXPECT_FALSE(IsSwallowedKey(Tab));
}

TEST(HotKeyCapture, TheBoxesAcceptTheValidKeysAndTheSwitchBoxTab) {
    for (int key = -1; key < 0x120; ++key) {
        EXPECT_EQ(BoxAcceptsKey(HotKeyBox::Boss, key), IsValidHotKey(key)) << key;
        EXPECT_EQ(BoxAcceptsKey(HotKeyBox::Sound, key), IsValidHotKey(key)) << key;
        EXPECT_EQ(BoxAcceptsKey(HotKeyBox::Switch, key), IsValidHotKey(key) || key == Tab) << key;
    }
}

TEST(HotKeyConflict, TwoEqualTextsConflict) {
    EXPECT_FALSE(HotKeyTextsConflict(L"F10", L"Ctrl  +  Tab", L"Ctrl  +  Q"));
    EXPECT_TRUE(HotKeyTextsConflict(L"Ctrl  +  Q", L"Ctrl  +  Tab", L"Ctrl  +  Q"));
    EXPECT_TRUE(HotKeyTextsConflict(L"F10", L"F10", L"Ctrl  +  Q"));
    EXPECT_TRUE(HotKeyTextsConflict(L"F10", L"Ctrl  +  Q", L"Ctrl  +  Q"));
    EXPECT_TRUE(HotKeyTextsConflict(L"无", L"Ctrl  +  Tab", L"无")) << "only one key can be off";
    EXPECT_TRUE(HotKeyTextsConflict(L"无", L"无", L"无"));
    EXPECT_TRUE(HotKeyTextsConflict(L"", L"", L"F10"));
    EXPECT_FALSE(HotKeyTextsConflict(L"Ctrl  +  q", L"Ctrl  +  Q", L"F1")) << "case-sensitive";
    EXPECT_FALSE(HotKeyTextsConflict(L"Ctrl  +  Q", L"Ctrl  +  Q ", L"F1")) << "exact";
}

void ExpectSaves(std::wstring_view text, int remembered, const wchar_t* stored) {
    const std::optional<StoredHotKey> value = HotKeyToSave(text, remembered);
    ASSERT_TRUE(value) << std::wstring(text);
    EXPECT_EQ(EncodeHotKey(value->Modifiers, value->Key), stored) << std::wstring(text);
}

TEST(HotKeySave, TheTextGivesTheModifiersAndTheRememberedKeyTheKey) {
    ExpectSaves(L"F10", 121, L"0,121");
    ExpectSaves(L"Ctrl  +  Tab", 9, L"2,9");
    ExpectSaves(L"Ctrl  +  Q", 81, L"2,81");
    ExpectSaves(L"Ctrl  +  Shift  +  A", 65, L"6,65");
    ExpectSaves(L"Shift  +  Alt  +  Z", 90, L"5,90");
    ExpectSaves(L"Ctrl  +  Shift  +  Alt  +  F1", 0x70, L"7,112");
    // Only the text decides the modifiers; the key comes from the box's memory.
    ExpectSaves(L"Alt  +  Q", 65, L"1,65");
}

TEST(HotKeySave, NoneSavesKeyZero) {
    ExpectSaves(L"无", 121, L"0,0");
    const CapturedKey cleared = CaptureKey(HotKeyBox::Boss, Back, ModCtrl, 121);
    ExpectSaves(cleared.Text, cleared.KeyCode, L"0,0");
}

TEST(HotKeySave, TextsEndingInASpaceOrEmptyAreSkipped) {
    EXPECT_FALSE(HotKeyToSave(L"", 81));
    EXPECT_FALSE(HotKeyToSave(L"Shift  +  ", 81));
    EXPECT_FALSE(HotKeyToSave(L"Ctrl  +  Shift  +  Alt  +  ", 81));
    EXPECT_FALSE(HotKeyToSave(L" ", 81));
}

TEST(HotKeySave, AStoredKeyWithoutANameIsNotRewritten) {
    // A value whose key has no name shows only its modifiers and so is skipped on OK.
    const std::wstring shown = FormatHotKey(0x20, ModCtrl);
    EXPECT_FALSE(HotKeyToSave(shown, 0x20));
    // A text without modifiers and without a name is empty: skipped too.
    EXPECT_FALSE(HotKeyToSave(FormatHotKey(0x87, 0), 0x87));
}

TEST(HotKeySave, ABoxLeftShowingShiftIsSkippedWhileTheOthersSave) {
    const CapturedKey boss = CaptureKey(HotKeyBox::Boss, 0x10, ModShift, 121);
    const CapturedKey switchKey = CaptureKey(HotKeyBox::Switch, Tab, ModCtrl, 9);
    const CapturedKey sound = CaptureKey(HotKeyBox::Sound, KeyQ, ModCtrl | ModAlt, 81);
    ASSERT_FALSE(HotKeyTextsConflict(boss.Text, switchKey.Text, sound.Text));
    EXPECT_FALSE(HotKeyToSave(boss.Text, boss.KeyCode));
    ExpectSaves(switchKey.Text, switchKey.KeyCode, L"2,9");
    ExpectSaves(sound.Text, sound.KeyCode, L"3,81");
}

TEST(HotKeySave, TheStoredDefaultsDisplayAndSaveUnchanged) {
    for (const wchar_t* stored : {L"0,121", L"2,9", L"2,81", L"6,65", L"7,0"}) {
        const StoredHotKey value = DecodeHotKey(stored, L"0,121");
        const std::wstring shown = FormatHotKey(value.Key, value.Modifiers);
        const std::optional<StoredHotKey> saved = HotKeyToSave(shown, value.Key);
        ASSERT_TRUE(saved) << stored;
        if (value.Key == 0) {
            EXPECT_EQ(EncodeHotKey(saved->Modifiers, saved->Key), L"0,0") << "7,0 shows 无 and saves as 0,0";
            continue;
        }
        EXPECT_EQ(EncodeHotKey(saved->Modifiers, saved->Key), stored);
    }
}

TEST(HotKeyListeners, OnlyLauncherDialogsAreNotified) {
    EXPECT_TRUE(IsHotKeyListener(L"#32770", L"MirelCorvale"));
    EXPECT_FALSE(IsHotKeyListener(L"#32770", L"MirelCorvale "));
    EXPECT_FALSE(IsHotKeyListener(L"#32770", L"mirelcorvale"));
    EXPECT_FALSE(IsHotKeyListener(L"#32771", L"MirelCorvale"));
    EXPECT_FALSE(IsHotKeyListener(L"Zarn", L"MirelCorvale"));
    EXPECT_FALSE(IsHotKeyListener(L"#32770", L"设置"));
    EXPECT_EQ(MaxNotifiedLaunchers, 10);
}

} // namespace
