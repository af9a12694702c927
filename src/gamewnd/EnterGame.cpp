// Parsing of the game hall's entergame command.
#include "gamewnd/EnterGame.h"

#include "base/GameCode.h"
#include "base/PathLimit.h"
#include "base/Strings.h"

namespace zarn {
namespace {

bool IsWebAddress(std::wstring_view address) {
    const std::wstring upper = AsciiUpper(address.substr(0, 8));
    return (upper.rfind(L"HTTP://", 0) == 0 && address.size() > 7) ||
           (upper.rfind(L"HTTPS://", 0) == 0 && address.size() > 8);
}

} // namespace

EnterGameCommand ParseEnterGame(std::wstring_view url, std::wstring_view portalRoot) {
    EnterGameCommand command;
    const size_t at = url.find(EnterGamePrefix);
    if (at == std::wstring_view::npos)
        return command;
    command.IsCommand = true;
    command.WebAddress = std::wstring(portalRoot);

    std::wstring_view code = url.substr(at + EnterGamePrefix.size());
    if (const size_t bar = code.find(L'|'); bar != std::wstring_view::npos) {
        const std::wstring_view address = code.substr(bar + 1);
        if (IsWebAddress(address))
            command.WebAddress = std::wstring(address);
        code = code.substr(0, bar);
    }
    for (wchar_t c : code) {
        if (c != L'/')
            command.GameCode.push_back(c);
    }
    if (!command.GameCode.empty() && command.GameCode[0] >= L'a' && command.GameCode[0] <= L'z')
        command.GameCode[0] = static_cast<wchar_t>(command.GameCode[0] - 32);
    command.Valid = IsValidGameCode(command.GameCode);
    return command;
}

std::wstring GameLauncherPath(std::wstring_view commonAppData, std::wstring_view gameCode) {
    std::wstring path(commonAppData);
    path += L"\\Mirel\\DaruRavoz\\";
    path += gameCode;
    path += L".exe";
    return path.size() > MaxPathLength ? std::wstring() : path;
}

} // namespace zarn
