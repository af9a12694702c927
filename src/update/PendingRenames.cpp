// Editing the restart-time rename list.
#include "update/PendingRenames.h"

#include <vector>

#include "base/Strings.h"

namespace zarn {
namespace {

// The names of the list, split at every null; the list's closing null adds no name.
std::vector<std::wstring> SplitNames(const std::wstring& list) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos) {
            names.push_back(list.substr(start));
            break;
        }
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

std::wstring WithoutDeletionOf(const std::wstring& list, const std::wstring& source) {
    const std::vector<std::wstring> names = SplitNames(list);
    std::wstring kept;
    bool any = false;
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        if (names[i + 1].empty() && EqualsIgnoreCase(names[i], source))
            continue;
        if (names[i].empty())
            continue; // the list's closing null read as a name
        kept += names[i];
        kept += L'\0';
        kept += names[i + 1];
        kept += L'\0';
        any = true;
    }
    if (any)
        kept += L'\0';
    return kept;
}

} // namespace zarn
