// How the settings dialog's three key boxes take a key press, when their texts conflict, and what a
// box's text saves as. Portable: the dialog feeds these the key and the modifiers held.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/HotKeyText.h"

namespace zarn {

enum class HotKeyBox { Boss, Switch, Sound };

// What a box shows after a key press, and the key it remembers for saving.
struct CapturedKey {
    std::wstring Text;
    int KeyCode = 0;
};

// Whether the dialog looks at a key message at all: every key-down, but of the system key-downs
// (keys pressed with Alt held) only F10 and Alt itself.
bool IsCapturedKeyMessage(bool systemKey, int key);
// Esc and Enter are swallowed by the boxes' dialog and do nothing (it never closes on them).
bool IsSwallowedKey(int key);
// Whether the box accepts the key as its hot key (the switch box also takes Tab).
bool BoxAcceptsKey(HotKeyBox box, int key);
// Keys that switch a box's hot key off: Backspace, Delete and the Windows keys everywhere, F12 in
// the boss and sound boxes.
bool IsClearingKey(HotKeyBox box, int key);

// A key press in a box with `modifiers` (ModifierBits) held. A clearing key shows "无"; any other
// key shows the held modifiers followed by the key's name when the box accepts it. The remembered
// key changes only when the box accepts the key.
CapturedKey CaptureKey(HotKeyBox box, int key, int modifiers, int rememberedKey);

// Two of the three texts are the same (exact comparison): the dialog refuses to save.
bool HotKeyTextsConflict(std::wstring_view boss, std::wstring_view switchKey, std::wstring_view sound);

// The value a box saves: none when its text is empty or ends in a space (only modifiers captured);
// else key 0 for a text with "无", the remembered key otherwise, and the modifiers the text names.
std::optional<StoredHotKey> HotKeyToSave(std::wstring_view text, int rememberedKey);

// The windows told to reload the hot keys: top-level dialogs titled as the launcher, at most ten.
constexpr int MaxNotifiedLaunchers = 10;
bool IsHotKeyListener(std::wstring_view className, std::wstring_view text);

} // namespace zarn
