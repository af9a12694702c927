// The list of renames and deletions the system carries out at the next restart: taking the deletion
// of one file out of it. Portable: the list is the text of its registry value.
#pragma once

#include <string>

namespace zarn {

// The list is a sequence of (source, destination) pairs, each name ended by a null; an empty
// destination means the source is deleted. Returns the list without the deletions of source
// (compared without regard to ASCII letter case); renames and every other entry stay in order. The
// result again ends with an extra null, or is empty when no entry is left. An odd trailing name is
// dropped.
std::wstring WithoutDeletionOf(const std::wstring& list, const std::wstring& source);

} // namespace zarn
