// Fuzzes the stored hot-key text: any text either parses to a pair in range or is malformed and
// gives the default, and what it gives formats within bounds.
#include "settings/HotKeyText.h"

#include <cstddef>
#include <cstdint>

namespace {

const wchar_t Default[] = L"2,81";

bool InRange(const zarn::StoredHotKey& key) {
    return key.Modifiers >= 0 && key.Modifiers <= 7 && key.Key >= 0 && key.Key <= 254;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::optional<zarn::StoredHotKey> parsed = zarn::ParseHotKey(text);
    const zarn::StoredHotKey decoded = zarn::DecodeHotKey(text, Default);
    if (parsed) {
        // Well formed: in range, within the length the program reads, and taken as it is.
        if (!InRange(*parsed) || text.size() > zarn::StoredHotKeyChars ||
            text.find(L',') == std::wstring::npos)
            __builtin_trap();
        if (decoded.Modifiers != parsed->Modifiers || decoded.Key != parsed->Key)
            __builtin_trap();
    } else if (decoded.Modifiers != 2 || decoded.Key != 81) {
        __builtin_trap(); // malformed: the default, never a key switched off
    }
    const std::wstring shown = zarn::FormatHotKey(decoded.Key, decoded.Modifiers);
    // Three modifier texts (27 characters) and a name of at most 15.
    if (shown.size() > 27 + 15)
        __builtin_trap();
    // What the dialog writes reads back as the same pair.
    const std::optional<zarn::StoredHotKey> again =
        zarn::ParseHotKey(zarn::EncodeHotKey(decoded.Modifiers, decoded.Key));
    if (!again || again->Modifiers != decoded.Modifiers || again->Key != decoded.Key)
        __builtin_trap();
    if (zarn::IsValidHotKey(decoded.Key) && zarn::KeyName(decoded.Key).empty())
        __builtin_trap();
    return 0;
}
