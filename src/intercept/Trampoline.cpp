// Planning a trampoline and the patch over the target (see Trampoline.h).
#include "intercept/Trampoline.h"

#include "intercept/Relocation.h"

namespace zarn::intercept {
namespace {

struct Copied {
    unsigned Offset;
    Instruction Decoded;
};

Error DecodePrologue(Arch arch, const uint8_t* source, size_t available, unsigned patchLength,
                     std::vector<Copied>& copied, unsigned& length) {
    length = 0;
    while (length < patchLength) {
        Instruction ins;
        if (!DecodeInstruction(source + length, available - length, arch, ins))
            return length < available ? Error::UnknownInstruction : Error::TooShort;
        copied.push_back({length, ins});
        length += ins.Length;
        if (ins.EndsFlow && length < patchLength)
            return Error::TooShort;
    }
    return Error::None;
}

} // namespace

Error PlanTrampoline(Arch arch, const uint8_t* source, size_t available, uint64_t sourceAddress,
                     unsigned patchLength, uint64_t trampolineAddress, TrampolinePlan& plan) {
    plan = TrampolinePlan{};
    if (source == nullptr || patchLength == 0)
        return Error::NullArgument;
    std::vector<Copied> copied;
    unsigned length = 0;
    if (const Error e = DecodePrologue(arch, source, available, patchLength, copied, length);
        e != Error::None)
        return e;
    for (const Copied& c : copied) {
        if (c.Decoded.BranchKind == Branch::None)
            continue;
        const uint64_t target = BranchTarget(arch, source + c.Offset, c.Decoded, sourceAddress + c.Offset);
        if (target > sourceAddress && target < sourceAddress + length)
            return Error::JumpIntoPatch;
    }
    for (const Copied& c : copied) {
        plan.Boundaries.push_back({c.Offset, static_cast<unsigned>(plan.Code.size())});
        const Error e = RelocateInstruction(arch, source + c.Offset, c.Decoded, sourceAddress + c.Offset,
                                            trampolineAddress + plan.Code.size(), plan.Code);
        if (e != Error::None) {
            plan = TrampolinePlan{};
            return e;
        }
    }
    plan.Boundaries.push_back({length, static_cast<unsigned>(plan.Code.size())});
    const std::vector<uint8_t> back =
        JumpBytes(arch, trampolineAddress + plan.Code.size(), sourceAddress + length);
    plan.Code.insert(plan.Code.end(), back.begin(), back.end());
    plan.SourceLength = length;
    return Error::None;
}

std::vector<uint8_t> PatchBytes(Arch arch, uint64_t target, uint64_t to, unsigned sourceLength) {
    std::vector<uint8_t> bytes = JumpBytes(arch, target, to);
    while (bytes.size() < sourceLength)
        bytes.push_back(0xCC);
    return bytes;
}

uint64_t MovedIntoTrampoline(const TrampolinePlan& plan, uint64_t sourceAddress, uint64_t trampolineAddress,
                             uint64_t ip) noexcept {
    if (ip < sourceAddress || ip >= sourceAddress + plan.SourceLength)
        return ip;
    for (const TrampolinePlan::Boundary& b : plan.Boundaries) {
        if (sourceAddress + b.Source == ip)
            return trampolineAddress + b.Trampoline;
    }
    return ip;
}

uint64_t MovedOutOfTrampoline(const TrampolinePlan& plan, uint64_t sourceAddress, uint64_t trampolineAddress,
                              uint64_t ip) noexcept {
    if (ip < trampolineAddress || ip >= trampolineAddress + plan.Code.size())
        return ip;
    for (const TrampolinePlan::Boundary& b : plan.Boundaries) {
        if (trampolineAddress + b.Trampoline == ip)
            return sourceAddress + b.Source;
    }
    return ip;
}

} // namespace zarn::intercept
