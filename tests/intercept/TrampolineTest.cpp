// Trampoline planning: whole instructions copied, short and near jumps and calls re-aimed at their
// old targets from the new place, RIP-relative operands corrected or made absolute, the jump back,
// and the refusals that leave a function alone.
#include "intercept/Relocation.h"
#include "intercept/Trampoline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zarn::intercept;

namespace {

constexpr uint64_t Source64 = 0x7FFF'1000'0000;
constexpr uint64_t NearTrampoline64 = Source64 - 0x10'0000;    // 1 MB below: within rel32 reach
constexpr uint64_t FarTrampoline64 = Source64 + 0x2'0000'0000; // 8 GB away: out of reach
constexpr uint64_t Source32 = 0x6A00'1000;
constexpr uint64_t Trampoline32 = 0x0040'0000;

std::vector<uint8_t> Padded(std::vector<uint8_t> code) {
    code.resize(32, 0xCC);
    return code;
}

int32_t Rel32At(const std::vector<uint8_t>& code, size_t pos) {
    int32_t v;
    std::memcpy(&v, code.data() + pos, 4);
    return v;
}

uint64_t U64At(const std::vector<uint8_t>& code, size_t pos) {
    uint64_t v;
    std::memcpy(&v, code.data() + pos, 8);
    return v;
}

// Where a rel32 field at `pos` of the plan (ending at `end`) leads from `base`.
uint64_t TargetOf(const TrampolinePlan& plan, uint64_t base, size_t pos, size_t end) {
    return base + end + static_cast<int64_t>(Rel32At(plan.Code, pos));
}

TrampolinePlan Plan(Arch arch, const std::vector<uint8_t>& code, uint64_t source, unsigned patch,
                    uint64_t tramp, Error expected = Error::None) {
    TrampolinePlan plan;
    const std::vector<uint8_t> padded = Padded(code);
    EXPECT_EQ(PlanTrampoline(arch, padded.data(), padded.size(), source, patch, tramp, plan), expected);
    return plan;
}

} // namespace

// A 5-byte patch over waveOutWrite's pushes and sub copies those five instructions (8 bytes) unchanged.
TEST(Trampoline, NearPatchCopiesNoRipOperand) {
    const std::vector<uint8_t> code = {0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec, 0x48,
                                       0x48, 0x8d, 0x3d, 0xe1, 0xa1, 0x00, 0x00, 0x48};
    const TrampolinePlan plan = Plan(Arch::X64, code, Source64, NearJumpLength, NearTrampoline64);
    EXPECT_EQ(plan.SourceLength, 8u);
    ASSERT_EQ(plan.Code.size(), 8u + NearJumpLength);
    EXPECT_TRUE(std::equal(code.begin(), code.begin() + 8, plan.Code.begin()));
    EXPECT_EQ(plan.Code[8], 0xE9);
    EXPECT_EQ(TargetOf(plan, NearTrampoline64, 9, 13), Source64 + 8);
}

// A 14-byte absolute patch over waveOutWrite takes the lea too; from 8 GB away it becomes mov rdi, imm64
// with the address the lea computed, and the jump back is absolute.
TEST(Trampoline, AbsolutePatchRelocatesRipLea) {
    const std::vector<uint8_t> code = {0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec, 0x48,
                                       0x48, 0x8d, 0x3d, 0xe1, 0xa1, 0x00, 0x00, 0x48};
    const TrampolinePlan plan = Plan(Arch::X64, code, Source64, AbsoluteJumpLength, FarTrampoline64);
    EXPECT_EQ(plan.SourceLength, 15u);
    ASSERT_EQ(plan.Code.size(), 8u + 10u + AbsoluteJumpLength);
    EXPECT_EQ(plan.Code[8], 0x48);
    EXPECT_EQ(plan.Code[9], 0xBF); // mov rdi, imm64
    EXPECT_EQ(U64At(plan.Code, 10), Source64 + 15 + 0xa1e1);
    EXPECT_EQ(plan.Code[18], 0xFF);
    EXPECT_EQ(plan.Code[19], 0x25);
    EXPECT_EQ(U64At(plan.Code, 24), Source64 + 15);
}

// Within reach the lea stays a lea with its displacement corrected for the new place.
TEST(Trampoline, NearRipOperandKeepsItsTarget) {
    const std::vector<uint8_t> code = {0x41, 0x54, 0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec,
                                       0x50, 0x4c, 0x8d, 0x25, 0x1f, 0x3e, 0x00, 0x00};
    const TrampolinePlan plan = Plan(Arch::X64, code, Source64, AbsoluteJumpLength, NearTrampoline64);
    EXPECT_EQ(plan.SourceLength, 17u);
    EXPECT_EQ(plan.Code[10], 0x4c);
    EXPECT_EQ(plan.Code[11], 0x8d);
    EXPECT_EQ(TargetOf(plan, NearTrampoline64, 13, 17), Source64 + 17 + 0x3e1f);
}

// A RIP-relative load cannot become anything else: out of reach it is refused.
TEST(Trampoline, FarRipLoadIsRefused) {
    const std::vector<uint8_t> code = {0x48, 0x8b, 0x05, 0x10, 0x00, 0x00, 0x00, 0x90, 0x90, 0x90};
    Plan(Arch::X64, code, Source64, NearJumpLength, FarTrampoline64, Error::OutOfReach);
}

TEST(Trampoline, HotPatchPrologue32) {
    const std::vector<uint8_t> code = {0x8b, 0xff, 0x55, 0x8b, 0xec, 0x83, 0xec, 0x10};
    const TrampolinePlan plan = Plan(Arch::X86, code, Source32, NearJumpLength, Trampoline32);
    EXPECT_EQ(plan.SourceLength, 5u);
    EXPECT_TRUE(std::equal(code.begin(), code.begin() + 5, plan.Code.begin()));
    EXPECT_EQ(TargetOf(plan, Trampoline32, 6, 10) & 0xFFFFFFFF, Source32 + 5);
}

// call rel32 in the copied bytes still calls the same function from the trampoline.
TEST(Trampoline, NearCallIsReaimed32) {
    const std::vector<uint8_t> code = {0x55, 0xe8, 0x00, 0x01, 0x00, 0x00, 0x5b};
    const TrampolinePlan plan = Plan(Arch::X86, code, Source32, NearJumpLength, Trampoline32);
    EXPECT_EQ(plan.SourceLength, 6u);
    ASSERT_EQ(plan.Code[1], 0xE8);
    EXPECT_EQ(TargetOf(plan, Trampoline32, 2, 6) & 0xFFFFFFFF, Source32 + 6 + 0x100);
}

TEST(Trampoline, FarCallBecomesAbsolute64) {
    const std::vector<uint8_t> code = {0xe8, 0x00, 0x01, 0x00, 0x00, 0x90};
    const TrampolinePlan plan = Plan(Arch::X64, code, Source64, NearJumpLength, FarTrampoline64);
    ASSERT_GE(plan.Code.size(), 16u);
    EXPECT_EQ(plan.Code[0], 0xFF);
    EXPECT_EQ(plan.Code[1], 0x15); // call [rip+2]
    EXPECT_EQ(Rel32At(plan.Code, 2), 2);
    EXPECT_EQ(plan.Code[6], 0xEB); // jmp over the address
    EXPECT_EQ(plan.Code[7], 8);
    EXPECT_EQ(U64At(plan.Code, 8), Source64 + 5 + 0x100);
}

// A short conditional jump out of the prologue becomes jcc rel32 to the same place.
TEST(Trampoline, ShortCondJumpIsWidened) {
    const std::vector<uint8_t> code = {0x85, 0xc9, 0x74, 0x20, 0x55, 0x89, 0xe5};
    const TrampolinePlan plan = Plan(Arch::X86, code, Source32, NearJumpLength, Trampoline32);
    EXPECT_EQ(plan.SourceLength, 5u);
    ASSERT_EQ(plan.Code[2], 0x0F);
    EXPECT_EQ(plan.Code[3], 0x84);
    EXPECT_EQ(TargetOf(plan, Trampoline32, 4, 8) & 0xFFFFFFFF, Source32 + 4 + 0x20);
    EXPECT_EQ(plan.Code[8], 0x55);
    // Boundaries map each instruction of the target to its copy.
    ASSERT_EQ(plan.Boundaries.size(), 4u);
    EXPECT_EQ(plan.Boundaries[2].Source, 4u);
    EXPECT_EQ(plan.Boundaries[2].Trampoline, 8u);
}

// Out of reach, jcc becomes the inverted short jcc over an absolute jump.
TEST(Trampoline, FarCondJumpIsInvertedOverAbsoluteJump) {
    const std::vector<uint8_t> code = {0x75, 0x10, 0x90, 0x90, 0x90};
    const TrampolinePlan plan = Plan(Arch::X64, code, Source64, NearJumpLength, FarTrampoline64);
    ASSERT_GE(plan.Code.size(), 16u);
    EXPECT_EQ(plan.Code[0], 0x74); // jne became je over the jump
    EXPECT_EQ(plan.Code[1], AbsoluteJumpLength);
    EXPECT_EQ(U64At(plan.Code, 8), Source64 + 2 + 0x10);
}

TEST(Trampoline, ShortAndNearJumpsAreReaimed) {
    const std::vector<uint8_t> shortJump = {0xeb, 0x30, 0x90, 0x90, 0x90};
    const TrampolinePlan a = Plan(Arch::X64, shortJump, Source64, 2, NearTrampoline64);
    ASSERT_EQ(a.Code[0], 0xE9);
    EXPECT_EQ(TargetOf(a, NearTrampoline64, 1, 5), Source64 + 2 + 0x30);
    const std::vector<uint8_t> nearJump = {0xe9, 0x00, 0x00, 0x10, 0x00};
    const TrampolinePlan b = Plan(Arch::X64, nearJump, Source64, NearJumpLength, NearTrampoline64);
    ASSERT_EQ(b.Code[0], 0xE9);
    EXPECT_EQ(TargetOf(b, NearTrampoline64, 1, 5), Source64 + 5 + 0x100000);
    const TrampolinePlan c = Plan(Arch::X64, nearJump, Source64, NearJumpLength, FarTrampoline64);
    EXPECT_EQ(c.Code[0], 0xFF);
    EXPECT_EQ(U64At(c.Code, 6), Source64 + 5 + 0x100000);
}

TEST(Trampoline, JumpBackIntoPatchIsRefused) {
    // nop; nop; jne -3 (to the second nop, inside the five bytes to be patched)
    Plan(Arch::X86, {0x90, 0x90, 0x75, 0xfd, 0x90, 0x90}, Source32, NearJumpLength, Trampoline32,
         Error::JumpIntoPatch);
    // A jump to the function's own start is a call-like re-entry, not into the patch.
    Plan(Arch::X86, {0x90, 0x90, 0x75, 0xfc, 0x90, 0x90}, Source32, NearJumpLength, Trampoline32);
}

TEST(Trampoline, TooShortIsRefused) {
    Plan(Arch::X86, {0x31, 0xc0, 0xc3}, Source32, NearJumpLength, Trampoline32, Error::TooShort);
    Plan(Arch::X64, {0xc3}, Source64, NearJumpLength, NearTrampoline64, Error::TooShort);
    Plan(Arch::X64, {0x48, 0x89, 0xc8, 0xff, 0xe0}, Source64, AbsoluteJumpLength, NearTrampoline64,
         Error::TooShort); // mov rax,rcx; jmp rax
    // Exactly long enough: mov eax, imm32 covers the patch and the ret is left in place.
    Plan(Arch::X86, {0xb8, 1, 0, 0, 0, 0xc3}, Source32, NearJumpLength, Trampoline32);
}

TEST(Trampoline, UnknownInstructionAndLoopAreRefused) {
    Plan(Arch::X64, {0x55, 0x06, 0x90, 0x90, 0x90}, Source64, NearJumpLength, NearTrampoline64,
         Error::UnknownInstruction);
    Plan(Arch::X86, {0xe2, 0x10, 0x90, 0x90, 0x90}, Source32, NearJumpLength, Trampoline32,
         Error::UnknownInstruction);
}

TEST(Trampoline, PatchBytesFillWithInt3) {
    const std::vector<uint8_t> near = PatchBytes(Arch::X64, Source64, NearTrampoline64, 8);
    ASSERT_EQ(near.size(), 8u);
    EXPECT_EQ(near[0], 0xE9);
    EXPECT_EQ(Source64 + 5 + Rel32At(near, 1), NearTrampoline64);
    EXPECT_EQ(near[5], 0xCC);
    EXPECT_EQ(near[7], 0xCC);
    const std::vector<uint8_t> far = PatchBytes(Arch::X64, Source64, FarTrampoline64, 15);
    ASSERT_EQ(far.size(), 15u);
    EXPECT_EQ(far[0], 0xFF);
    EXPECT_EQ(U64At(far, 6), FarTrampoline64);
    EXPECT_EQ(far[14], 0xCC);
}

TEST(Trampoline, InstructionPointersMoveBetweenTargetAndTrampoline) {
    const std::vector<uint8_t> code = {0x85, 0xc9, 0x74, 0x20, 0x55, 0x89, 0xe5};
    const TrampolinePlan plan = Plan(Arch::X86, code, Source32, NearJumpLength, Trampoline32);
    EXPECT_EQ(MovedIntoTrampoline(plan, Source32, Trampoline32, Source32 + 2), Trampoline32 + 2);
    EXPECT_EQ(MovedIntoTrampoline(plan, Source32, Trampoline32, Source32 + 4), Trampoline32 + 8);
    EXPECT_EQ(MovedIntoTrampoline(plan, Source32, Trampoline32, Source32 + 5), Source32 + 5); // not copied
    EXPECT_EQ(MovedIntoTrampoline(plan, Source32, Trampoline32, Source32), Trampoline32);
    EXPECT_EQ(MovedOutOfTrampoline(plan, Source32, Trampoline32, Trampoline32 + 8), Source32 + 4);
    EXPECT_EQ(MovedOutOfTrampoline(plan, Source32, Trampoline32, Trampoline32 + 9), Source32 + 5);
    EXPECT_EQ(MovedOutOfTrampoline(plan, Source32, Trampoline32, Source32 + 1), Source32 + 1);
}

// An import thunk names the slot that holds the real function's address.
TEST(Trampoline, ImportThunkSlot) {
    uint64_t slot = 0;
    const std::vector<uint8_t> thunk64 = {0xff, 0x25, 0x1a, 0x07, 0x1a, 0x00, 0x90, 0x90};
    ASSERT_TRUE(IndirectJumpSlot(Arch::X64, thunk64.data(), thunk64.size(), 0x1400f47c0, slot));
    EXPECT_EQ(slot, 0x140294ee0u);
    const std::vector<uint8_t> thunk32 = {0xff, 0x25, 0x10, 0x20, 0x40, 0x00};
    ASSERT_TRUE(IndirectJumpSlot(Arch::X86, thunk32.data(), thunk32.size(), 0x401000, slot));
    EXPECT_EQ(slot, 0x402010u);
    const std::vector<uint8_t> call = {0xff, 0x15, 0x10, 0x20, 0x40, 0x00};
    EXPECT_FALSE(IndirectJumpSlot(Arch::X86, call.data(), call.size(), 0x401000, slot));
    EXPECT_FALSE(IndirectJumpSlot(Arch::X64, thunk64.data(), 5, 0x1400f47c0, slot));
}
