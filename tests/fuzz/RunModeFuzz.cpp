// Fuzzes the command-line reading: any arguments give a defined run mode without overflow.
#include "app/RunMode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> args(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == L' ')
            args.emplace_back();
        else
            args.back().push_back(c);
    }
    const zarn::RunModeChoice choice =
        zarn::ChooseRunMode(args, L"C:\\ProgramData\\Mirel\\DaruRavoz", args[0]);
    if (static_cast<int>(choice.Mode) < 0 || static_cast<int>(choice.Mode) > 7)
        __builtin_trap();
    return 0;
}
