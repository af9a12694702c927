// The trampoline of an interception: the whole instructions that the patch at the start of the target
// overwrites, re-encoded to run elsewhere, followed by a jump back to the first byte not copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "intercept/Decoder.h"
#include "intercept/InterceptError.h"

namespace zarn::intercept {

struct TrampolinePlan {
    std::vector<uint8_t> Code; // relocated instructions, then the jump back
    unsigned SourceLength = 0; // bytes of whole instructions taken from the target
    struct Boundary {
        unsigned Source;     // offset of an instruction in the target
        unsigned Trampoline; // offset of its copy in the trampoline
    };
    std::vector<Boundary> Boundaries; // one per copied instruction, and one for the jump back
};

// Plans the trampoline at trampolineAddress for the code at sourceAddress (`available` bytes of it
// readable at source) that will be overwritten by a patch of patchLength bytes. Refuses unknown
// instructions, branches back into the copied bytes, and functions that end before patchLength.
Error PlanTrampoline(Arch arch, const uint8_t* source, size_t available, uint64_t sourceAddress,
                     unsigned patchLength, uint64_t trampolineAddress, TrampolinePlan& plan);

// The bytes written over the target: a jump to `to` (5 bytes when it reaches, else the 14-byte absolute
// form), then int3 up to sourceLength so that no half instruction is left behind.
std::vector<uint8_t> PatchBytes(Arch arch, uint64_t target, uint64_t to, unsigned sourceLength);

// Where an instruction pointer at `ip` goes when the patch is written (inside the target's copied bytes →
// the same instruction in the trampoline) or removed (inside the trampoline → back into the target).
// Returns ip unchanged when it is elsewhere or not at an instruction's start.
uint64_t MovedIntoTrampoline(const TrampolinePlan& plan, uint64_t sourceAddress, uint64_t trampolineAddress,
                             uint64_t ip) noexcept;
uint64_t MovedOutOfTrampoline(const TrampolinePlan& plan, uint64_t sourceAddress, uint64_t trampolineAddress,
                              uint64_t ip) noexcept;

} // namespace zarn::intercept
