// Fuzzes the loadgame path: any URL gives a defined payload, account text and decoded payload
// without overflow.
#include "browser/PageRules.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring url = L"app://loadgame/";
    for (size_t i = 0; i + 1 < size; i += 2)
        url.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const zarn::LoadGameCommand command = zarn::ParseLoadGame(url);
    const zarn::LoginAccount account = zarn::SplitLoginPayload(command.Payload);
    const std::wstring text = zarn::LoginAccountText(account);
    if (text.size() < 3)
        __builtin_trap();
    const std::wstring_view fitted =
        zarn::FitToByteLimit(command.Payload, 255, [](std::wstring_view c) { return c[0] < 0x80 ? 1u : 2u; });
    if (fitted.size() > 255)
        __builtin_trap();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring decoded = zarn::DecodeUtf8(zarn::PercentUnescape(bytes), 256);
    if (decoded.size() > 255)
        __builtin_trap();
    zarn::IsAllowedPageScheme(url);
    zarn::InLoginProtectedArea(static_cast<int>(size), static_cast<int>(size) - 300);
    return 0;
}
