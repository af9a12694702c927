// Fuzzes the entergame reading: any URL gives a code that is either refused or a plain word, an
// address that is the root or an http(s) URL, and a launcher path within its limit.
#include "base/GameCode.h"
#include "gamewnd/EnterGame.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring url(L"app://entergame|");
    for (size_t i = 0; i + 1 < size; i += 2)
        url.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const zarn::EnterGameCommand command = zarn::ParseEnterGame(url, L"http://root.test/");
    if (!command.IsCommand || command.Valid != zarn::IsValidGameCode(command.GameCode))
        __builtin_trap();
    if (command.WebAddress != L"http://root.test/" && command.WebAddress.rfind(L"http", 0) != 0 &&
        command.WebAddress.rfind(L"HTTP", 0) != 0 && command.WebAddress.rfind(L"Http", 0) != 0 &&
        url.find(command.WebAddress) == std::wstring::npos)
        __builtin_trap();
    if (zarn::GameLauncherPath(L"C:\\ProgramData", command.GameCode).size() > 259)
        __builtin_trap();
    return 0;
}
