// Fuzzes the stored hot-key text: any text decodes, and what it decodes to formats within bounds.
#include "settings/HotKeyText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const zarn::StoredHotKey decoded = zarn::DecodeHotKey(text);
    const std::wstring shown = zarn::FormatHotKey(decoded.Key, decoded.Modifiers);
    // Three modifier texts (27 characters) and a name of at most 15.
    if (shown.empty() && decoded.Key != 0 && zarn::KeyName(decoded.Key).size() > 0)
        __builtin_trap();
    if (shown.size() > 27 + 15)
        __builtin_trap();
    if (zarn::KeyName(decoded.Modifiers).size() > 15 || zarn::KeyName(decoded.Key).size() > 15)
        __builtin_trap();
    // What the dialog writes reads back as the same pair.
    const zarn::StoredHotKey again = zarn::DecodeHotKey(zarn::EncodeHotKey(decoded.Modifiers, decoded.Key));
    if (again.Modifiers != decoded.Modifiers || again.Key != decoded.Key)
        __builtin_trap();
    if (zarn::IsValidHotKey(decoded.Key) && zarn::KeyName(decoded.Key).empty())
        __builtin_trap();
    return 0;
}
