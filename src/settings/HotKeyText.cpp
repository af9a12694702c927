// The stored hot-key text, its display form, the key names and the keys a user may choose.
#include "settings/HotKeyText.h"

#include <cstdint>

namespace zarn {

namespace {

// The stored value is read into a 32-character buffer, so only the first 31 characters count.
constexpr size_t StoredTextLimit = 31;

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// Reads a number the way wcstol does with base 10 on Windows (32-bit long): leading white space, an
// optional sign, digits; anything else ends it; no digits give 0; out of range clamps.
int ReadDecimal(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    constexpr int64_t Limit = int64_t{INT32_MAX} + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > Limit)
            value = Limit;
    }
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(value > INT32_MAX ? INT32_MAX : value);
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

StoredHotKey DecodeHotKey(std::wstring_view text) {
    text = text.substr(0, StoredTextLimit);
    // A character 0 ends the text, as it would in the buffer it is read into.
    text = text.substr(0, text.find(L'\0'));
    const size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos)
        return {ReadDecimal(text), 0};
    return {ReadDecimal(text.substr(0, comma)), ReadDecimal(text.substr(comma + 1))};
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
