// The stored form of a hot key ("<modifiers>,<key>"), its display text and the key names. Portable:
// the launcher, the game windows and the settings dialog share these rules.
#pragma once

#include <string>
#include <string_view>

namespace zarn {

// Modifier bits of a stored hot key (the same values as RegisterHotKey's MOD_ALT/CONTROL/SHIFT).
enum ModifierBits : int { ModAlt = 1, ModCtrl = 2, ModShift = 4 };

// A decoded stored value; Key 0 means the hot key is off.
struct StoredHotKey {
    int Modifiers = 0;
    int Key = 0;
};

// Decodes a stored value: text before the first comma is the modifiers, after it the key; each is
// read like wcstol base 10 (empty or non-numeric text gives 0). At most 31 characters are looked at.
StoredHotKey DecodeHotKey(std::wstring_view text);
// "<modifiers>,<key>" in decimal, as the settings dialog writes it.
std::wstring EncodeHotKey(int modifiers, int key);
// "无" for key 0; else "Ctrl  +  ", "Shift  +  ", "Alt  +  " as set, then KeyName(key).
std::wstring FormatHotKey(int key, int modifiers);
// The key's name (at most 15 characters), empty for keys without one.
std::wstring KeyName(int key);
// Whether a key may be chosen as a hot key (Tab is accepted only by the switch box, see there).
bool IsValidHotKey(int key);

} // namespace zarn
