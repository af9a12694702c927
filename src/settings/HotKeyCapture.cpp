// The key boxes' capture rules, the conflict rule and the save rule of the hot-key settings.
#include "settings/HotKeyCapture.h"

namespace zarn {

namespace {

constexpr int KeyBack = 0x08, KeyTab = 0x09, KeyEnter = 0x0D, KeyAlt = 0x12, KeyEsc = 0x1B, KeyDelete = 0x2E,
              KeyLeftWin = 0x5B, KeyRightWin = 0x5C, KeyF10 = 0x79, KeyF12 = 0x7B;

bool Contains(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

std::wstring ModifierText(int modifiers) {
    std::wstring text;
    if (modifiers & ModCtrl)
        text += L"Ctrl  +  ";
    if (modifiers & ModShift)
        text += L"Shift  +  ";
    if (modifiers & ModAlt)
        text += L"Alt  +  ";
    return text;
}

} // namespace

bool IsCapturedKeyMessage(bool systemKey, int key) {
    return !systemKey || key == KeyF10 || key == KeyAlt;
}

bool IsSwallowedKey(int key) {
    return key == KeyEsc || key == KeyEnter;
}

bool BoxAcceptsKey(HotKeyBox box, int key) {
    return IsValidHotKey(key) || (box == HotKeyBox::Switch && key == KeyTab);
}

bool IsClearingKey(HotKeyBox box, int key) {
    if (key == KeyBack || key == KeyDelete || key == KeyLeftWin || key == KeyRightWin)
        return true;
    return key == KeyF12 && box != HotKeyBox::Switch;
}

CapturedKey CaptureKey(HotKeyBox box, int key, int modifiers, int rememberedKey) {
    if (IsClearingKey(box, key))
        return {L"无", rememberedKey};
    if (!BoxAcceptsKey(box, key))
        return {ModifierText(modifiers), rememberedKey};
    return {ModifierText(modifiers) + KeyName(key), key};
}

bool HotKeyTextsConflict(std::wstring_view boss, std::wstring_view switchKey, std::wstring_view sound) {
    return boss == switchKey || boss == sound || switchKey == sound;
}

std::optional<StoredHotKey> HotKeyToSave(std::wstring_view text, int rememberedKey) {
    if (text.empty() || text.back() == L' ')
        return std::nullopt;
    StoredHotKey value;
    value.Key = Contains(text, L"无") ? 0 : rememberedKey;
    if (Contains(text, L"Ctrl"))
        value.Modifiers |= ModCtrl;
    if (Contains(text, L"Shift"))
        value.Modifiers |= ModShift;
    if (Contains(text, L"Alt"))
        value.Modifiers |= ModAlt;
    return value;
}

bool IsHotKeyListener(std::wstring_view className, std::wstring_view text) {
    return className == L"#32770" && text == L"MirelCorvale";
}

} // namespace zarn
