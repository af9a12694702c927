// Fuzzes the self-delete batch and the Flash version comparison: any path bytes give either no batch
// or a batch whose every quoted argument is intact.
#include "setup/SelfDeleteBatch.h"
#include "update/FlashVersion.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string text =
        zarn::FormatSelfDeleteBatch(zarn::SelfDeleteVariant::RemoveFolder, path, path, "C:\\b");
    if (!text.empty()) {
        if (text.size() >= 2048)
            __builtin_trap();
        size_t quotes = 0;
        for (char c : text)
            quotes += c == '"';
        if (quotes != 10) // five quoted arguments
            __builtin_trap();
    }
    std::wstring version;
    for (size_t i = 0; i + 1 < size; i += 2)
        version.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    (void)zarn::IsFlashVersionNewer(version);
    return 0;
}
