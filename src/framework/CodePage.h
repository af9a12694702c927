// Conversion of UTF-16 text into the bytes of a Windows code page (the ANSI one, UTF-8).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace zarn {

// The text in `codePage`, measured first so that nothing is cut; characters the code page lacks
// become its default character. Empty text gives "", a failed conversion nothing.
std::optional<std::string> ToCodePage(std::wstring_view text, UINT codePage);

} // namespace zarn
