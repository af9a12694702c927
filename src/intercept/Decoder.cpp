// Table of the x86 and x86-64 instruction forms a function prologue can hold, by opcode: whether a
// ModRM byte follows, the size of the immediate, and the branches and RIP-relative operands.
#include "intercept/Decoder.h"

namespace zarn::intercept {
namespace {

constexpr unsigned MaxLength = 15;

enum class Imm { None, Byte, Word, Z, V, Enter, Moffs };

struct Form {
    bool Valid = true;
    bool ModRM = false;
    Imm Immediate = Imm::None;
};

constexpr Form Bad() {
    return Form{false, false, Imm::None};
}
constexpr Form Plain(Imm imm = Imm::None) {
    return Form{true, false, imm};
}
constexpr Form WithModRM(Imm imm = Imm::None) {
    return Form{true, true, imm};
}

struct Prefixes {
    bool OperandSize = false; // 66
    bool AddressSize = false; // 67
    bool Rex = false;
    uint8_t RexBits = 0;
    bool Other = false; // any prefix but REX.W on its own (lea rip relocation wants none)
};

bool IsLegacyPrefix(uint8_t b) {
    switch (b) {
    case 0xF0:
    case 0xF2:
    case 0xF3:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x26:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67:
        return true;
    default:
        return false;
    }
}

Form OneByteForm(uint8_t op, Arch arch) {
    const bool x64 = arch == Arch::X64;
    if (op < 0x40) {
        switch (op & 7) {
        case 0:
        case 1:
        case 2:
        case 3:
            return WithModRM();
        case 4:
            return Plain(Imm::Byte);
        case 5:
            return Plain(Imm::Z);
        default: // push/pop of segment registers and the decimal adjusts; 0F is handled by the caller
            return x64 ? Bad() : Plain();
        }
    }
    if (op < 0x50)
        return x64 ? Bad() : Plain(); // inc/dec in x86; REX prefixes are taken before this
    if (op < 0x60)
        return Plain();
    if (op >= 0x70 && op <= 0x7F)
        return Plain(Imm::Byte);
    if (op >= 0x84 && op <= 0x8E)
        return WithModRM();
    if (op >= 0x90 && op <= 0x9F)
        return op == 0x9A ? Bad() : Plain();
    if (op >= 0xA4 && op <= 0xAF)
        return op == 0xA8 ? Plain(Imm::Byte) : op == 0xA9 ? Plain(Imm::Z) : Plain();
    if (op >= 0xB0 && op <= 0xB7)
        return Plain(Imm::Byte);
    if (op >= 0xB8 && op <= 0xBF)
        return Plain(Imm::V);
    if (op >= 0xD8 && op <= 0xDF)
        return WithModRM();
    switch (op) {
    case 0x60:
    case 0x61:
    case 0xCE:
        return x64 ? Bad() : Plain();
    case 0x63:
        return WithModRM();
    case 0x68:
        return Plain(Imm::Z);
    case 0x69:
        return WithModRM(Imm::Z);
    case 0x6A:
        return Plain(Imm::Byte);
    case 0x6B:
        return WithModRM(Imm::Byte);
    case 0x6C:
    case 0x6D:
    case 0x6E:
    case 0x6F:
        return Plain();
    case 0x80:
    case 0x83:
        return WithModRM(Imm::Byte);
    case 0x82:
        return x64 ? Bad() : WithModRM(Imm::Byte);
    case 0x81:
        return WithModRM(Imm::Z);
    case 0x8F:
        return WithModRM();
    case 0xA0:
    case 0xA1:
    case 0xA2:
    case 0xA3:
        return Plain(Imm::Moffs);
    case 0xC0:
    case 0xC1:
    case 0xC6:
        return WithModRM(Imm::Byte);
    case 0xC7:
        return WithModRM(Imm::Z);
    case 0xC2:
    case 0xCA:
        return Plain(Imm::Word);
    case 0xC3:
    case 0xC9:
    case 0xCB:
    case 0xCC:
    case 0xCF:
        return Plain();
    case 0xC8:
        return Plain(Imm::Enter);
    case 0xCD:
        return Plain(Imm::Byte);
    case 0xD0:
    case 0xD1:
    case 0xD2:
    case 0xD3:
        return WithModRM();
    case 0xD4:
    case 0xD5:
        return x64 ? Bad() : Plain(Imm::Byte);
    case 0xD7:
        return Plain();
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE3:
    case 0xE4:
    case 0xE5:
    case 0xE6:
    case 0xE7:
    case 0xEB:
        return Plain(Imm::Byte);
    case 0xE8:
    case 0xE9:
        return Plain(Imm::Z);
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF:
    case 0xF1:
    case 0xF4:
    case 0xF5:
    case 0xF8:
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFD:
        return Plain();
    case 0xF6:
    case 0xF7:
    case 0xFE:
    case 0xFF:
        return WithModRM(); // the immediate of F6/F7 depends on the ModRM reg field
    default:
        return Bad(); // 62 (EVEX/bound), C4/C5 (VEX/les/lds), D6, EA, and the rest
    }
}

Form TwoByteForm(uint8_t op) {
    if ((op >= 0x10 && op <= 0x23) || (op >= 0x28 && op <= 0x2F) || (op >= 0x40 && op <= 0x6F) ||
        (op >= 0x74 && op <= 0x76) || op == 0x78 || op == 0x79 || (op >= 0x7C && op <= 0x7F) ||
        (op >= 0x90 && op <= 0x9F) || (op >= 0xB0 && op <= 0xB9) || (op >= 0xBB && op <= 0xBF) ||
        (op >= 0xD0))
        return WithModRM();
    if (op >= 0x80 && op <= 0x8F)
        return Plain(Imm::Z);
    if (op >= 0xC8 && op <= 0xCF)
        return Plain();
    switch (op) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x0D:
    case 0xA3:
    case 0xA5:
    case 0xAB:
    case 0xAD:
    case 0xAE:
    case 0xAF:
    case 0xC0:
    case 0xC1:
    case 0xC3:
    case 0xC7:
        return WithModRM();
    case 0x70:
    case 0x71:
    case 0x72:
    case 0x73:
    case 0xA4:
    case 0xAC:
    case 0xBA:
    case 0xC2:
    case 0xC4:
    case 0xC5:
    case 0xC6:
        return WithModRM(Imm::Byte);
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x09:
    case 0x0B:
    case 0x0E:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x33:
    case 0x34:
    case 0x35:
    case 0x77:
    case 0xA0:
    case 0xA1:
    case 0xA2:
    case 0xA8:
    case 0xA9:
        return Plain();
    default:
        return Bad();
    }
}

// The bytes of the ModRM byte and what follows it (SIB, displacement); 0 when truncated.
struct ModRMInfo {
    unsigned Length = 0;
    bool RipRelative = false;
    unsigned DispOffset = 0; // from the ModRM byte
    unsigned Reg = 0;
    unsigned Mod = 0;
    unsigned Rm = 0;
};

bool ReadModRM(const uint8_t* p, size_t available, bool address16, Arch arch, ModRMInfo& info) {
    if (available < 1)
        return false;
    const uint8_t modrm = p[0];
    info.Mod = modrm >> 6;
    info.Reg = (modrm >> 3) & 7;
    info.Rm = modrm & 7;
    unsigned length = 1;
    if (address16) {
        if (info.Mod == 1)
            length += 1;
        else if (info.Mod == 2 || (info.Mod == 0 && info.Rm == 6))
            length += 2;
    } else if (info.Mod != 3) {
        if (info.Rm == 4) {
            if (available < 2)
                return false;
            const uint8_t sib = p[1];
            length += 1;
            if (info.Mod == 0 && (sib & 7) == 5)
                length += 4;
        } else if (info.Mod == 0 && info.Rm == 5) {
            info.RipRelative = arch == Arch::X64;
            info.DispOffset = 1;
            length += 4;
        }
        if (info.Mod == 1)
            length += 1;
        else if (info.Mod == 2)
            length += 4;
    }
    if (length > available)
        return false;
    info.Length = length;
    return true;
}

unsigned ImmediateSize(Imm imm, const Prefixes& prefixes, Arch arch) {
    switch (imm) {
    case Imm::None:
        return 0;
    case Imm::Byte:
        return 1;
    case Imm::Word:
        return 2;
    case Imm::Z:
        return prefixes.OperandSize ? 2 : 4;
    case Imm::V:
        return (prefixes.RexBits & 8) ? 8 : prefixes.OperandSize ? 2 : 4;
    case Imm::Enter:
        return 3;
    case Imm::Moffs:
        if (arch == Arch::X64)
            return prefixes.AddressSize ? 4 : 8;
        return prefixes.AddressSize ? 2 : 4;
    }
    return 0;
}

bool EndsFlowOneByte(uint8_t op, const ModRMInfo& modrm) {
    switch (op) {
    case 0xC2:
    case 0xC3:
    case 0xCA:
    case 0xCB:
    case 0xCC:
    case 0xCF:
    case 0xE9:
    case 0xEB:
    case 0xF4:
        return true;
    case 0xFF:
        return modrm.Reg == 4 || modrm.Reg == 5;
    default:
        return false;
    }
}

} // namespace

bool DecodeInstruction(const uint8_t* code, size_t available, Arch arch, Instruction& out) noexcept {
    out = Instruction{};
    if (code == nullptr)
        return false;
    if (available > MaxLength)
        available = MaxLength;
    Prefixes prefixes;
    unsigned pos = 0;
    while (pos < available && IsLegacyPrefix(code[pos])) {
        prefixes.OperandSize |= code[pos] == 0x66;
        prefixes.AddressSize |= code[pos] == 0x67;
        prefixes.Other = true;
        ++pos;
    }
    while (arch == Arch::X64 && pos < available && (code[pos] & 0xF0) == 0x40) {
        prefixes.Rex = true;
        prefixes.RexBits = code[pos] & 0x0F;
        ++pos;
    }
    if (pos >= available)
        return false;
    const bool address16 = arch == Arch::X86 && prefixes.AddressSize;
    const uint8_t op = code[pos++];
    Form form;
    bool twoByte = false;
    uint8_t op2 = 0;
    if (op == 0x0F) {
        if (pos >= available)
            return false;
        twoByte = true;
        op2 = code[pos++];
        if (op2 == 0x38 || op2 == 0x3A) {
            if (pos >= available)
                return false;
            ++pos; // the third opcode byte
            form = WithModRM(op2 == 0x3A ? Imm::Byte : Imm::None);
        } else {
            form = TwoByteForm(op2);
        }
    } else {
        form = OneByteForm(op, arch);
    }
    if (!form.Valid)
        return false;

    ModRMInfo modrm;
    const unsigned modrmPos = pos;
    if (form.ModRM) {
        if (!ReadModRM(code + pos, available - pos, address16, arch, modrm))
            return false;
        pos += modrm.Length;
    }
    Imm imm = form.Immediate;
    if (!twoByte) {
        if ((op == 0xF6 || op == 0xF7) && modrm.Reg <= 1)
            imm = op == 0xF6 ? Imm::Byte : Imm::Z;
        if (op == 0xFF && modrm.Reg == 7)
            return false;
        if (op == 0x8F && modrm.Reg != 0)
            return false; // XOP
        if (op == 0xC7 && code[modrmPos] == 0xF8)
            return false; // xbegin: a relative branch in another guise
        if (op == 0xFE && modrm.Reg > 1)
            return false;
    }
    const bool branch = (!twoByte && ((op >= 0x70 && op <= 0x7F) || (op >= 0xE0 && op <= 0xE3) ||
                                      op == 0xE8 || op == 0xE9 || op == 0xEB)) ||
                        (twoByte && op2 >= 0x80 && op2 <= 0x8F);
    if (branch && prefixes.OperandSize)
        return false; // 16-bit branch forms
    if (modrm.RipRelative && prefixes.AddressSize)
        return false; // eip-relative
    const unsigned immPos = pos;
    pos += ImmediateSize(imm, prefixes, arch);
    if (pos > available)
        return false;

    out.Length = pos;
    if (form.ModRM && modrm.RipRelative) {
        out.RipRelative = true;
        out.DispOffset = modrmPos + modrm.DispOffset;
        out.IsLeaRip = !twoByte && op == 0x8D && prefixes.Rex && (prefixes.RexBits & 8) && !prefixes.Other;
        out.LeaRegister = modrm.Reg | ((prefixes.RexBits & 4) ? 8 : 0);
    }
    if (branch) {
        out.RelOffset = immPos;
        out.RelSize = pos - immPos;
        if (twoByte) {
            out.BranchKind = Branch::CondJump;
            out.Condition = op2 & 0x0F;
        } else if (op >= 0x70 && op <= 0x7F) {
            out.BranchKind = Branch::CondJump;
            out.Condition = op & 0x0F;
        } else if (op >= 0xE0 && op <= 0xE3) {
            out.BranchKind = Branch::LoopJump;
        } else if (op == 0xE8) {
            out.BranchKind = Branch::Call;
        } else {
            out.BranchKind = Branch::Jump;
        }
    }
    out.EndsFlow = twoByte ? op2 == 0x0B : EndsFlowOneByte(op, modrm);
    return true;
}

} // namespace zarn::intercept
