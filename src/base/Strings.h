// Small text rules shared by the whole program: number reading as the C runtime does it on Windows,
// ASCII case folding, and path pieces. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

// Reads a decimal number the way wcstol(text, nullptr, 10) does with Windows' 32-bit long: leading
// white space, an optional sign, then digits; no digits gives 0; out-of-range values clamp to
// INT32_MIN/INT32_MAX.
int32_t ParseLong(std::wstring_view text);

// Upper-cases ASCII letters only (what _wcsupr_s does in the "C" locale).
std::wstring AsciiUpper(std::wstring_view text);

// Whole-text comparison that ignores the case of ASCII letters.
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);

// The path up to and including its last backslash; empty when there is none.
std::wstring FolderWithSlash(std::wstring_view path);

// The path up to, not including, its last backslash; empty when there is none.
std::wstring FolderWithoutSlash(std::wstring_view path);

// The text after the last backslash (the whole path when there is none).
std::wstring FileNameOf(std::wstring_view path);

// Copies at most capacity - 1 characters, as a bounded copy into a buffer of that many characters
// would; the result never exceeds the buffer.
std::wstring Truncated(std::wstring_view text, size_t capacity);

} // namespace zarn
