// The stored hot-key text, its display form, the key names and the keys a user may choose.
#include "settings/HotKeyText.h"

namespace zarn {

namespace {

constexpr int MaxModifiers = ModAlt | ModCtrl | ModShift;
constexpr int MaxVirtualKey = 0xFE;

// A run of decimal digits no greater than `limit`; nothing for an empty run, any other character or
// a larger number.
std::optional<int> ReadBoundedDecimal(std::wstring_view digits, int limit) {
    if (digits.empty())
        return std::nullopt;
    int value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

struct NamedKey {
    int Key;
    const wchar_t* Name;
};

// Keys whose names are not derived from a range.
constexpr NamedKey NamedKeys[] = {
    {0x08, L"Back"},    {0x09, L"Tab"},     {0x0D, L"Enter"},       {0x10, L"Shift"},
    {0x11, L"Ctrl"},    {0x12, L"Alt"},     {0x13, L"Pause Break"}, {0x14, L"Caps"},
    {0x1B, L"Esc"},     {0x21, L"Page Up"}, {0x22, L"Page Down"},   {0x23, L"End"},
    {0x24, L"Home"},    {0x25, L"Left"},    {0x26, L"Up"},          {0x27, L"Right"},
    {0x28, L"Down"},    {0x2D, L"Insert"},  {0x2E, L"Del"},         {0x5B, L"LWin"},
    {0x5C, L"RWin"},    {0x6A, L"Num *"},   {0x6B, L"Num +"},       {0x6D, L"Num -"},
    {0x6E, L"Num Del"}, {0x6F, L"Num /"},   {0x90, L"Num Lock"},    {0x91, L"Scroll Lock"},
    {0xBA, L";"},       {0xBB, L"+"},       {0xBC, L","},           {0xBD, L"-"},
    {0xBE, L"."},       {0xBF, L"/"},       {0xC0, L"\u0060"},      {0xDB, L"["},
    {0xDC, L"\\"},      {0xDD, L"]"},       {0xDE, L"'"},
};

bool InRange(int key, int first, int last) {
    return key >= first && key <= last;
}

} // namespace

std::optional<StoredHotKey> ParseHotKey(std::wstring_view text) {
    if (text.size() > StoredHotKeyChars)
        return std::nullopt;
    const size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos)
        return std::nullopt;
    const std::optional<int> modifiers = ReadBoundedDecimal(text.substr(0, comma), MaxModifiers);
    const std::optional<int> key = ReadBoundedDecimal(text.substr(comma + 1), MaxVirtualKey);
    if (!modifiers || !key)
        return std::nullopt;
    return StoredHotKey{*modifiers, *key};
}

StoredHotKey DecodeHotKey(std::wstring_view text, std::wstring_view defaultText) {
    if (const std::optional<StoredHotKey> stored = ParseHotKey(text))
        return *stored;
    return ParseHotKey(defaultText).value_or(StoredHotKey{});
}

std::wstring EncodeHotKey(int modifiers, int key) {
    return std::to_wstring(modifiers) + L"," + std::to_wstring(key);
}

std::wstring FormatHotKey(int key, int modifiers) {
    if (key == 0)
        return L"无";
    std::wstring text;
    if (modifiers & ModCtrl)
        text += L"Ctrl  +  ";
    if (modifiers & ModShift)
        text += L"Shift  +  ";
    if (modifiers & ModAlt)
        text += L"Alt  +  ";
    return text + KeyName(key);
}

std::wstring KeyName(int key) {
    if (InRange(key, 0x30, 0x39) || InRange(key, 0x41, 0x5A))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (InRange(key, 0x60, 0x69))
        return L"Num " + std::wstring(1, static_cast<wchar_t>(L'0' + key - 0x60));
    if (InRange(key, 0x70, 0x7B))
        return L"F" + std::to_wstring(key - 0x70 + 1);
    for (const NamedKey& named : NamedKeys) {
        if (named.Key == key)
            return named.Name;
    }
    return {};
}

bool IsValidHotKey(int key) {
    return InRange(key, 0x70, 0x7A)     // F1 to F11
           || InRange(key, 0x30, 0x39)  // digits
           || InRange(key, 0x41, 0x5A)  // letters
           || InRange(key, 0x21, 0x28)  // Page Up, Page Down, End, Home, arrows
           || key == 0x2D               // Insert
           || key == 0x14               // Caps Lock
           || InRange(key, 0xBA, 0xC0)  // punctuation
           || InRange(key, 0xDB, 0xDE)  // brackets, backslash, quote
           || key == 0x90               // Num Lock
           || InRange(key, 0x60, 0x6B)  // Num 0 to Num 9, Num *, Num +
           || InRange(key, 0x6D, 0x6F); // Num -, Num Del, Num /
}

} // namespace zarn
