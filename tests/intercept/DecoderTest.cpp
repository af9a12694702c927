// The instruction-length decoder on real prologues of both architectures and on the forms it must
// refuse or mark (branches, RIP-relative operands, ends of flow).
#include "intercept/Decoder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zarn::intercept;

namespace {

// The lengths of the instructions in `code`, decoding until `count` are found or one fails.
std::vector<unsigned> Lengths(const std::vector<uint8_t>& code, Arch arch, size_t count) {
    std::vector<unsigned> lengths;
    size_t pos = 0;
    while (lengths.size() < count && pos < code.size()) {
        Instruction ins;
        if (!DecodeInstruction(code.data() + pos, code.size() - pos, arch, ins))
            break;
        lengths.push_back(ins.Length);
        pos += ins.Length;
    }
    return lengths;
}

Instruction Decode(const std::vector<uint8_t>& code, Arch arch) {
    Instruction ins;
    EXPECT_TRUE(DecodeInstruction(code.data(), code.size(), arch, ins));
    return ins;
}

bool Decodes(const std::vector<uint8_t>& code, Arch arch) {
    Instruction ins;
    return DecodeInstruction(code.data(), code.size(), arch, ins);
}

} // namespace

// winmm!waveOutWrite of the 64-bit Wine build: push rbp/rdi/rsi/rbx, sub rsp,48h, lea rdi,[rip+...].
TEST(Decoder, WaveOutWritePrologue64) {
    const std::vector<uint8_t> code = {0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec, 0x48,
                                       0x48, 0x8d, 0x3d, 0xe1, 0xa1, 0x00, 0x00, 0x48};
    EXPECT_EQ(Lengths(code, Arch::X64, 6), (std::vector<unsigned>{1, 1, 1, 1, 4, 7}));
    const Instruction lea = Decode({code.begin() + 8, code.end()}, Arch::X64);
    EXPECT_TRUE(lea.RipRelative);
    EXPECT_TRUE(lea.IsLeaRip);
    EXPECT_EQ(lea.DispOffset, 3u);
    EXPECT_EQ(lea.LeaRegister, 7u); // rdi
}

// winmm!midiStreamOut: push r12 (REX.B), pushes, sub rsp,50h, lea r12,[rip+...]. The measured sixteen
// bytes end one byte before the lea does; its displacement's top byte is given as 00 here.
TEST(Decoder, MidiStreamOutPrologue64) {
    const std::vector<uint8_t> code = {0x41, 0x54, 0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec,
                                       0x50, 0x4c, 0x8d, 0x25, 0x1f, 0x3e, 0x00, 0x00};
    EXPECT_EQ(Lengths(code, Arch::X64, 7), (std::vector<unsigned>{2, 1, 1, 1, 1, 4, 7}));
    const Instruction lea = Decode({code.begin() + 10, code.end()}, Arch::X64);
    EXPECT_TRUE(lea.IsLeaRip);
    EXPECT_EQ(lea.LeaRegister, 12u);
}

// dsound!DirectSoundCreate: pushes, sub rsp,78h, mov rbx,rcx, mov rbp,rdx.
TEST(Decoder, DirectSoundCreatePrologue64) {
    const std::vector<uint8_t> code = {0x55, 0x57, 0x56, 0x53, 0x48, 0x83, 0xec, 0x78, 0x48,
                                       0x89, 0xcb, 0x48, 0x89, 0xd5, 0x4c, 0x89, 0xc6};
    EXPECT_EQ(Lengths(code, Arch::X64, 7), (std::vector<unsigned>{1, 1, 1, 1, 4, 3, 3}));
    EXPECT_FALSE(Decode({code.begin() + 8, code.end()}, Arch::X64).RipRelative);
}

// The hot-patchable 32-bit form: mov edi,edi; push ebp; mov ebp,esp; then sub esp,imm8 and a push.
TEST(Decoder, HotPatchPrologue32) {
    const std::vector<uint8_t> code = {0x8b, 0xff, 0x55, 0x8b, 0xec, 0x83, 0xec, 0x10, 0x56};
    EXPECT_EQ(Lengths(code, Arch::X86, 6), (std::vector<unsigned>{2, 1, 2, 3, 1}));
}

// GCC's 32-bit frame with stack realignment and a PIC base from a call: lea ecx,[esp+4];
// and esp,-16; push [ecx-4]; push ebp; mov ebp,esp; push ebx; call rel32.
TEST(Decoder, AlignedPicPrologue32) {
    const std::vector<uint8_t> code = {0x8d, 0x4c, 0x24, 0x04, 0x83, 0xe4, 0xf0, 0xff, 0x71, 0xfc,
                                       0x55, 0x89, 0xe5, 0x53, 0xe8, 0x10, 0x00, 0x00, 0x00};
    EXPECT_EQ(Lengths(code, Arch::X86, 7), (std::vector<unsigned>{4, 3, 3, 1, 2, 1, 5}));
    const Instruction call = Decode({code.begin() + 14, code.end()}, Arch::X86);
    EXPECT_EQ(call.BranchKind, Branch::Call);
    EXPECT_EQ(call.RelOffset, 1u);
    EXPECT_EQ(call.RelSize, 4u);
}

// In x86 40-4F are inc/dec, in x86-64 they are REX prefixes of the next instruction.
TEST(Decoder, RexOnlyInLongMode) {
    const std::vector<uint8_t> code = {0x48, 0x89, 0xe5};
    EXPECT_EQ(Decode(code, Arch::X64).Length, 3u);
    EXPECT_EQ(Decode(code, Arch::X86).Length, 1u);
}

TEST(Decoder, ImmediateSizes) {
    EXPECT_EQ(Decode({0x48, 0xb8, 1, 2, 3, 4, 5, 6, 7, 8}, Arch::X64).Length, 10u); // mov rax, imm64
    EXPECT_EQ(Decode({0xb8, 1, 2, 3, 4}, Arch::X64).Length, 5u);                    // mov eax, imm32
    EXPECT_EQ(Decode({0x66, 0xb8, 1, 2}, Arch::X86).Length, 4u);                    // mov ax, imm16
    EXPECT_EQ(Decode({0x48, 0x81, 0xec, 0, 1, 0, 0}, Arch::X64).Length, 7u);        // sub rsp, imm32
    EXPECT_EQ(Decode({0xf7, 0xc1, 1, 0, 0, 0}, Arch::X86).Length, 6u);              // test ecx, imm32
    EXPECT_EQ(Decode({0xf7, 0xd1}, Arch::X86).Length, 2u);                          // not ecx
    EXPECT_EQ(Decode({0xc8, 0x10, 0x00, 0x00}, Arch::X86).Length, 4u);              // enter
    EXPECT_EQ(Decode({0xa1, 1, 2, 3, 4, 5, 6, 7, 8}, Arch::X64).Length, 9u);        // mov eax, [moffs64]
    EXPECT_EQ(Decode({0xa1, 1, 2, 3, 4}, Arch::X86).Length, 5u);                    // mov eax, [moffs32]
}

TEST(Decoder, ModRMForms) {
    EXPECT_EQ(Decode({0x8b, 0x44, 0x24, 0x08}, Arch::X86).Length, 4u);       // mov eax,[esp+8]
    EXPECT_EQ(Decode({0x8b, 0x84, 0x24, 0, 1, 0, 0}, Arch::X86).Length, 7u); // mov eax,[esp+100h]
    EXPECT_EQ(Decode({0x8b, 0x04, 0x25, 1, 2, 3, 4}, Arch::X64).Length, 7u); // mov eax,[abs32] via SIB
    EXPECT_FALSE(Decode({0x8b, 0x04, 0x25, 1, 2, 3, 4}, Arch::X64).RipRelative);
    EXPECT_EQ(Decode({0x8b, 0x05, 1, 2, 3, 4}, Arch::X86).Length, 6u); // mov eax,[abs32]
    EXPECT_FALSE(Decode({0x8b, 0x05, 1, 2, 3, 4}, Arch::X86).RipRelative);
    EXPECT_TRUE(Decode({0x8b, 0x05, 1, 2, 3, 4}, Arch::X64).RipRelative);
    EXPECT_EQ(Decode({0x67, 0x8b, 0x46, 0x02}, Arch::X86).Length, 4u);       // 16-bit addressing
    EXPECT_EQ(Decode({0x0f, 0x1f, 0x44, 0x00, 0x00}, Arch::X64).Length, 5u); // nop dword [rax+rax]
    EXPECT_EQ(Decode({0x66, 0x0f, 0x1f, 0x44, 0x00, 0x00}, Arch::X64).Length, 6u);
    EXPECT_EQ(Decode({0x0f, 0xb6, 0xc0}, Arch::X86).Length, 3u);                   // movzx eax, al
    EXPECT_EQ(Decode({0x66, 0x0f, 0x3a, 0x0f, 0xc1, 0x08}, Arch::X64).Length, 6u); // palignr imm8
    EXPECT_EQ(Decode({0xf3, 0x0f, 0x1e, 0xfa}, Arch::X64).Length, 4u);             // endbr64
}

// A RIP-relative mov is marked, but only lea may later become an absolute mov.
TEST(Decoder, RipRelativeMovIsNotLea) {
    const Instruction mov = Decode({0x48, 0x8b, 0x05, 1, 2, 3, 4}, Arch::X64);
    EXPECT_TRUE(mov.RipRelative);
    EXPECT_FALSE(mov.IsLeaRip);
    const Instruction prefixedLea = Decode({0x66, 0x48, 0x8d, 0x05, 1, 2, 3, 4}, Arch::X64);
    EXPECT_FALSE(prefixedLea.IsLeaRip);
}

TEST(Decoder, Branches) {
    const Instruction jmp8 = Decode({0xeb, 0x10}, Arch::X86);
    EXPECT_EQ(jmp8.BranchKind, Branch::Jump);
    EXPECT_EQ(jmp8.RelSize, 1u);
    EXPECT_TRUE(jmp8.EndsFlow);
    const Instruction jne = Decode({0x75, 0xf0}, Arch::X64);
    EXPECT_EQ(jne.BranchKind, Branch::CondJump);
    EXPECT_EQ(jne.Condition, 5u);
    EXPECT_FALSE(jne.EndsFlow);
    const Instruction je32 = Decode({0x0f, 0x84, 1, 0, 0, 0}, Arch::X64);
    EXPECT_EQ(je32.Length, 6u);
    EXPECT_EQ(je32.BranchKind, Branch::CondJump);
    EXPECT_EQ(je32.RelOffset, 2u);
    EXPECT_EQ(je32.Condition, 4u);
    EXPECT_EQ(Decode({0xe9, 0, 0, 0, 0}, Arch::X64).BranchKind, Branch::Jump);
    EXPECT_EQ(Decode({0xe2, 0xfe}, Arch::X86).BranchKind, Branch::LoopJump);
    EXPECT_EQ(Decode({0xe3, 0x05}, Arch::X64).BranchKind, Branch::LoopJump);
}

TEST(Decoder, EndsOfFlow) {
    EXPECT_TRUE(Decode({0xc3}, Arch::X86).EndsFlow);
    EXPECT_TRUE(Decode({0xc2, 0x08, 0x00}, Arch::X86).EndsFlow);
    EXPECT_EQ(Decode({0xc2, 0x08, 0x00}, Arch::X86).Length, 3u);
    EXPECT_TRUE(Decode({0xcc}, Arch::X64).EndsFlow);
    EXPECT_TRUE(Decode({0xff, 0xe0}, Arch::X64).EndsFlow);             // jmp rax
    EXPECT_TRUE(Decode({0xff, 0x25, 0, 0, 0, 0}, Arch::X64).EndsFlow); // jmp [rip]
    EXPECT_FALSE(Decode({0xff, 0xd0}, Arch::X64).EndsFlow);            // call rax
    EXPECT_TRUE(Decode({0x0f, 0x0b}, Arch::X64).EndsFlow);             // ud2
}

TEST(Decoder, Refusals) {
    EXPECT_FALSE(Decodes({0x06}, Arch::X64)); // push es: no such instruction in long mode
    EXPECT_TRUE(Decodes({0x06}, Arch::X86));
    EXPECT_FALSE(Decodes({0xc5, 0xf8, 0x77}, Arch::X64));                   // VEX
    EXPECT_FALSE(Decodes({0x62, 0xf1, 0x7c, 0x48, 0x10, 0x00}, Arch::X64)); // EVEX
    EXPECT_FALSE(Decodes({0x0f, 0x0f, 0xc1, 0x9e}, Arch::X86));             // 3DNow!
    EXPECT_FALSE(Decodes({0xea, 1, 2, 3, 4, 5, 6}, Arch::X86));             // far jump
    EXPECT_FALSE(Decodes({0xc7, 0xf8, 0, 0, 0, 0}, Arch::X64));             // xbegin
    EXPECT_FALSE(Decodes({0x66, 0xe8, 0, 0}, Arch::X86));                   // 16-bit call
    EXPECT_FALSE(Decodes({0x8b}, Arch::X86));                               // truncated
    EXPECT_FALSE(Decodes({0x48, 0x8b, 0x05, 1, 2}, Arch::X64));             // truncated displacement
    EXPECT_FALSE(Decodes(std::vector<uint8_t>(16, 0x66), Arch::X86));       // prefixes only, over 15 bytes
    Instruction ins;
    EXPECT_FALSE(DecodeInstruction(nullptr, 4, Arch::X86, ins));
}
