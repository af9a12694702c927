// Re-encoding of single instructions for a copy at another address (see Relocation.h).
#include "intercept/Relocation.h"

#include <cstring>

namespace zarn::intercept {
namespace {

int64_t ReadSigned(const uint8_t* p, unsigned size) {
    if (size == 1)
        return static_cast<int8_t>(p[0]);
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Append32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t Wrap(Arch arch, uint64_t address) {
    return arch == Arch::X86 ? (address & 0xFFFFFFFFu) : address;
}

uint32_t Rel32(uint64_t nextIp, uint64_t target) {
    return static_cast<uint32_t>(target - nextIp);
}

void AppendAbsoluteJump(std::vector<uint8_t>& out, uint64_t target) {
    const uint8_t jmp[] = {0xFF, 0x25, 0, 0, 0, 0};
    out.insert(out.end(), jmp, jmp + sizeof jmp);
    Append64(out, target);
}

Error RelocateBranch(Arch arch, const uint8_t* code, const Instruction& ins, uint64_t from, uint64_t to,
                     std::vector<uint8_t>& out) {
    const uint64_t target = BranchTarget(arch, code, ins, from);
    switch (ins.BranchKind) {
    case Branch::Jump:
        if (Reaches(arch, to + NearJumpLength, target)) {
            out.push_back(0xE9);
            Append32(out, Rel32(to + NearJumpLength, target));
        } else {
            AppendAbsoluteJump(out, target);
        }
        return Error::None;
    case Branch::Call:
        if (Reaches(arch, to + 5, target)) {
            out.push_back(0xE8);
            Append32(out, Rel32(to + 5, target));
        } else {
            // call [rip+2]; jmp over the address; the address
            const uint8_t call[] = {0xFF, 0x15, 2, 0, 0, 0, 0xEB, 8};
            out.insert(out.end(), call, call + sizeof call);
            Append64(out, target);
        }
        return Error::None;
    case Branch::CondJump:
        if (Reaches(arch, to + 6, target)) {
            out.push_back(0x0F);
            out.push_back(static_cast<uint8_t>(0x80 | ins.Condition));
            Append32(out, Rel32(to + 6, target));
        } else {
            // The inverted condition skips an absolute jump taken when the original would branch.
            out.push_back(static_cast<uint8_t>(0x70 | (ins.Condition ^ 1)));
            out.push_back(AbsoluteJumpLength);
            AppendAbsoluteJump(out, target);
        }
        return Error::None;
    case Branch::LoopJump:
    case Branch::None:
        break;
    }
    return Error::UnknownInstruction;
}

Error RelocateRipOperand(Arch arch, const uint8_t* code, const Instruction& ins, uint64_t from, uint64_t to,
                         std::vector<uint8_t>& out) {
    const uint64_t target = from + ins.Length + static_cast<uint64_t>(ReadSigned(code + ins.DispOffset, 4));
    if (Reaches(arch, to + ins.Length, target)) {
        const size_t start = out.size();
        out.insert(out.end(), code, code + ins.Length);
        const uint32_t disp = Rel32(to + ins.Length, target);
        std::memcpy(out.data() + start + ins.DispOffset, &disp, sizeof disp);
        return Error::None;
    }
    if (!ins.IsLeaRip)
        return Error::OutOfReach;
    // lea r64, [rip+d] only computes an address: mov r64, imm64 gives the same register value.
    out.push_back(static_cast<uint8_t>(0x48 | (ins.LeaRegister >= 8 ? 1 : 0)));
    out.push_back(static_cast<uint8_t>(0xB8 | (ins.LeaRegister & 7)));
    Append64(out, target);
    return Error::None;
}

} // namespace

uint64_t BranchTarget(Arch arch, const uint8_t* code, const Instruction& ins, uint64_t address) noexcept {
    const int64_t rel = ReadSigned(code + ins.RelOffset, ins.RelSize);
    return Wrap(arch, address + ins.Length + static_cast<uint64_t>(rel));
}

bool Reaches(Arch arch, uint64_t nextIp, uint64_t target) noexcept {
    if (arch == Arch::X86)
        return true;
    const int64_t distance = static_cast<int64_t>(target - nextIp);
    return distance >= INT32_MIN && distance <= INT32_MAX;
}

std::vector<uint8_t> JumpBytes(Arch arch, uint64_t from, uint64_t to) {
    std::vector<uint8_t> out;
    if (Reaches(arch, from + NearJumpLength, to)) {
        out.push_back(0xE9);
        Append32(out, Rel32(Wrap(arch, from + NearJumpLength), Wrap(arch, to)));
    } else {
        AppendAbsoluteJump(out, to);
    }
    return out;
}

bool IndirectJumpSlot(Arch arch, const uint8_t* code, size_t available, uint64_t address,
                      uint64_t& slot) noexcept {
    if (code == nullptr || available < 6 || code[0] != 0xFF || code[1] != 0x25)
        return false;
    const int64_t disp = ReadSigned(code + 2, 4);
    slot = arch == Arch::X64 ? address + 6 + static_cast<uint64_t>(disp) : static_cast<uint32_t>(disp);
    return true;
}

Error RelocateInstruction(Arch arch, const uint8_t* code, const Instruction& ins, uint64_t from, uint64_t to,
                          std::vector<uint8_t>& out) {
    if (ins.BranchKind != Branch::None)
        return RelocateBranch(arch, code, ins, from, to, out);
    if (ins.RipRelative)
        return RelocateRipOperand(arch, code, ins, from, to, out);
    out.insert(out.end(), code, code + ins.Length);
    return Error::None;
}

} // namespace zarn::intercept
