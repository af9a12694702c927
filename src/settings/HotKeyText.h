// The stored form of a hot key ("<modifiers>,<key>"), its display text and the key names. Portable:
// the launcher, the game windows and the settings dialog share these rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/HotKey.h"

namespace zarn {

// Modifier bits of a stored hot key (the same values as RegisterHotKey's MOD_ALT/CONTROL/SHIFT).
enum ModifierBits : int { ModAlt = 1, ModCtrl = 2, ModShift = 4 };

// A decoded stored value; Key 0 means the hot key is off.
struct StoredHotKey {
    int Modifiers = 0;
    int Key = 0;
};

// The hot key a stored value gives.
inline HotKey ToHotKey(const StoredHotKey& stored) {
    return HotKey{stored.Key, stored.Modifiers};
}

// The longest stored value the program reads (its buffer holds 32 characters).
constexpr size_t StoredHotKeyChars = 31;
// Reads a stored value that is exactly "<modifiers>,<key>": two runs of decimal digits joined by one
// comma, at most StoredHotKeyChars characters, the modifiers a combination of the three bits (0 to 7)
// and the key 0 (off) or a virtual-key code (1 to 254). Anything else is malformed: nothing.
std::optional<StoredHotKey> ParseHotKey(std::wstring_view text);
// The key a stored value stands for: the value when it is well formed, else the default, as when the
// value is missing, so that a damaged file never turns a key off. A malformed default gives key 0.
StoredHotKey DecodeHotKey(std::wstring_view text, std::wstring_view defaultText);
// "<modifiers>,<key>" in decimal, as the settings dialog writes it.
std::wstring EncodeHotKey(int modifiers, int key);
// "无" for key 0; else "Ctrl  +  ", "Shift  +  ", "Alt  +  " as set, then KeyName(key).
std::wstring FormatHotKey(int key, int modifiers);
// The key's name (at most 15 characters), empty for keys without one.
std::wstring KeyName(int key);
// Whether a key may be chosen as a hot key (Tab is accepted only by the switch box, see there).
bool IsValidHotKey(int key);

} // namespace zarn
