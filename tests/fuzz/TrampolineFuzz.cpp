// Fuzzes the decoder and trampoline planning: any bytes give a defined answer, never a read past the
// input, and a planned trampoline always copies whole instructions covering the patch.
#include "intercept/Decoder.h"
#include "intercept/Trampoline.h"

#include <cstddef>
#include <cstdint>

using namespace zarn::intercept;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const Arch arch = (data[0] & 1) ? Arch::X64 : Arch::X86;
    const unsigned patch = (data[0] & 2) ? 14 : 5;
    const uint64_t trampoline = (data[0] & 4) ? 0x7FFF'0000'0000 : 0x7FFF'1000'0000 - 0x10000;
    const uint8_t* code = data + 1;
    const size_t available = size - 1;
    Instruction ins;
    if (DecodeInstruction(code, available, arch, ins) &&
        (ins.Length == 0 || ins.Length > 15 || ins.Length > available))
        __builtin_trap();
    TrampolinePlan plan;
    if (PlanTrampoline(arch, code, available, 0x7FFF'1000'0000, patch, trampoline, plan) == Error::None) {
        if (plan.SourceLength < patch || plan.SourceLength > available || plan.Code.empty())
            __builtin_trap();
    }
    return 0;
}
