// Moving one decoded instruction to another address: relative branches and RIP-relative operands are
// re-aimed at their old targets, short branches widened, and out-of-reach ones made absolute.
#pragma once

#include <cstdint>
#include <vector>

#include "intercept/Decoder.h"
#include "intercept/InterceptError.h"

namespace zarn::intercept {

constexpr unsigned NearJumpLength = 5;      // E9 rel32
constexpr unsigned AbsoluteJumpLength = 14; // FF 25 00000000, then the 8-byte address (x86-64 only)

// Where a relative operand of an instruction at `address` leads.
uint64_t BranchTarget(Arch arch, const uint8_t* code, const Instruction& instruction,
                      uint64_t address) noexcept;

// True when a rel32 field ending at nextIp can reach target (always on x86, where addresses wrap).
bool Reaches(Arch arch, uint64_t nextIp, uint64_t target) noexcept;

// A jump from `from` to `to`: E9 rel32 when it reaches, else (x86-64) the absolute form.
std::vector<uint8_t> JumpBytes(Arch arch, uint64_t from, uint64_t to);

// An import thunk, jmp [slot] (FF 25: RIP-relative on x86-64, absolute on x86): gives the address of the
// slot that holds the real function's address. False for any other code.
bool IndirectJumpSlot(Arch arch, const uint8_t* code, size_t available, uint64_t address,
                      uint64_t& slot) noexcept;

// Appends the instruction at `from` (decoded as `instruction`), re-encoded to run at `to`.
// Refuses loop/jcxz forms (no wider encoding exists) and RIP-relative operands that cannot reach
// their target, except lea, which becomes a mov of the absolute address.
Error RelocateInstruction(Arch arch, const uint8_t* code, const Instruction& instruction, uint64_t from,
                          uint64_t to, std::vector<uint8_t>& out);

} // namespace zarn::intercept
