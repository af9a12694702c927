// Instruction-length decoding for x86 and x86-64 code: how long an instruction is and which of its
// operands are relative to the instruction pointer, so that a copy of it elsewhere can be corrected.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn::intercept {

enum class Arch { X86, X64 };

// The build's own architecture.
constexpr Arch HostArch() noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    return Arch::X64;
#else
    return Arch::X86;
#endif
}

enum class Branch {
    None,
    Jump,     // jmp rel8 / rel32
    CondJump, // jcc rel8 / rel32
    Call,     // call rel32
    LoopJump, // loop, loopz, loopnz, jcxz: rel8 only, no longer form exists
};

struct Instruction {
    unsigned Length = 0;
    Branch BranchKind = Branch::None;
    unsigned RelOffset = 0;   // position of the branch displacement inside the instruction
    unsigned RelSize = 0;     // 1 or 4 (0 without a branch)
    unsigned Condition = 0;   // jcc: the low four bits of the condition code
    bool RipRelative = false; // x86-64: a memory operand [rip + disp32]
    unsigned DispOffset = 0;  // position of that disp32
    bool EndsFlow = false;    // ret, jmp (also indirect), int3, hlt, ud2, iret: nothing falls through
    bool IsLeaRip = false;    // lea r64, [rip + disp32] with REX.W and no other prefix
    unsigned LeaRegister = 0; // its destination register, 0..15
};

// Decodes the instruction at code (at most `available` bytes may be read). False for an
// instruction this decoder does not know, a truncated one, or one longer than 15 bytes.
bool DecodeInstruction(const uint8_t* code, size_t available, Arch arch, Instruction& out) noexcept;

} // namespace zarn::intercept
