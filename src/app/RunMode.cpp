// Command line to run mode.
#include "app/RunMode.h"

#include "base/Strings.h"

namespace zarn {

int32_t ReadSlashNumber(const std::wstring* arg, size_t maxLength) {
    if (!arg || arg->empty() || arg->size() > maxLength)
        return 0;
    return ParseLong(std::wstring_view(*arg).substr(1));
}

bool IsSpecialWindowValue(int32_t value) {
    return (value >= -3 && value <= 1) || value == 0xFFFF;
}

RunModeChoice ChooseRunMode(const std::vector<std::wstring>& args, std::wstring_view installFolder,
                            std::wstring_view programPath) {
    RunModeChoice choice;
    const std::wstring first = args.empty() ? std::wstring() : args[0];
    auto argAt = [&](size_t i) -> const std::wstring* { return i < args.size() ? &args[i] : nullptr; };

    if (EqualsIgnoreCase(first, L"/webMirelD")) {
        choice.Mode = RunMode::PortalShortcut;
    } else if (EqualsIgnoreCase(first, L"/ZarnD")) {
        choice.Mode = RunMode::GameShortcut;
    } else if (EqualsIgnoreCase(first, L"/uninst")) {
        choice.Mode = RunMode::Uninstall;
    } else if (EqualsIgnoreCase(first, L"/update")) {
        choice.Mode = RunMode::Update;
    } else if (EqualsIgnoreCase(first, L"/newgm")) {
        choice.Mode = RunMode::NewGameWindow;
        choice.LauncherWnd = ReadSlashNumber(argAt(1), MaxLauncherArgument);
        choice.GameWindowOrdinal = ReadSlashNumber(argAt(2), MaxOrdinalArgument);
    } else if (EqualsIgnoreCase(first, L"/gmhall")) {
        choice.Mode = RunMode::GameHallWindow;
        choice.LauncherWnd = ReadSlashNumber(argAt(1), MaxLauncherArgument);
    } else {
        const bool inside = AsciiUpper(programPath).find(AsciiUpper(installFolder)) != std::wstring::npos;
        choice.Mode = inside ? RunMode::Installed : RunMode::Install;
    }
    return choice;
}

} // namespace zarn
