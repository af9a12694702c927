// Element-event table lookup; see PageElement.h.
#include "base/PageElement.h"

#include "base/Strings.h"

namespace zarn {

const ElementEventEntry* FindElementEvent(const ElementEventTable& table, int32_t event,
                                          std::wstring_view className, std::wstring_view tagName) {
    for (size_t i = 0; i < table.Count; ++i) {
        const ElementEventEntry& entry = table.Entries[i];
        if (entry.Event != event || !entry.Name)
            continue;
        const bool named = entry.Kind == MatchBy::ClassName ? className == entry.Name
                                                            : EqualsIgnoreCase(tagName, entry.Name);
        if (named)
            return &entry;
    }
    return nullptr;
}

} // namespace zarn
