// The account title: the text a login sends to the launcher (WM_COPYDATA, dwData 0) once its account
// is accepted, shown on the tab, and what the launcher reads back from it. Portable.
#pragma once

#include <cstddef>
#include <string>

namespace zarn {

// Longest account title the launcher takes from a login (the login builds short ones).
inline constexpr size_t MaxTitleLength = 511;

// server + "服-" + area + "-" + account.
std::wstring AccountTitle(const std::wstring& server, const std::wstring& area, const std::wstring& account);
// The account of a title: the text after its last "-" (the whole title without one).
std::wstring AccountOfTitle(const std::wstring& title);

} // namespace zarn
