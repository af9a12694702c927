// Fuzzes address splitting, the domain test, redirect resolution and the stored-date reading: any text
// gives a defined result within the limits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/HttpUrl.h"
#include "stats/DayFigures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const auto target = zarn::SplitHttpUrl(text);
    if (target && (target->Host.empty() || target->Host.size() > zarn::MaxHostLength ||
                   target->Object.size() > zarn::MaxObjectLength))
        __builtin_trap();
    const std::array<std::wstring_view, 3> domains = {L"localhost", L"zarn-dl.test", L"zarn-cdn.test"};
    if (zarn::IsAllowedDownloadUrl(text, domains) && !zarn::SplitHttpUrl(zarn::SkipScheme(text)))
        __builtin_trap();
    // A redirect target is an absolute http address of printable ASCII, which resolves to itself.
    if (const auto target = zarn::ResolveRedirect(L"http://localhost:80/a/b?c", text)) {
        if (!zarn::HasHttpScheme(*target) || zarn::ResolveRedirect(*target, *target) != target)
            __builtin_trap();
        for (wchar_t c : *target)
            if (c < 0x21 || c > 0x7E || c == L'\\')
                __builtin_trap();
    }
    const int32_t days = zarn::DaysSinceLastStart(text, zarn::LocalDate{2024, 2, 29});
    zarn::NextWeekdaysMask(static_cast<int32_t>(size) - 200, days);
    zarn::ApartDays(days);
    if (zarn::NextWeekdaysMask(static_cast<int32_t>(size), days) > 0x7F)
        __builtin_trap();
    return 0;
}
