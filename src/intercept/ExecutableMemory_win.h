// Executable memory for trampolines, in fixed-size slots, either within rel32 reach of a target
// (so that a 5-byte jump reaches it) or deliberately out of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn::intercept {

constexpr size_t TrampolineSlotSize = 128;

enum class Placement {
    Near, // within ±2 GB of the target (anywhere on x86, where rel32 reaches everything)
    Far,  // x86-64: more than 4 GB away from the target; x86: anywhere
};

// A slot of TrampolineSlotSize readable, writable and executable bytes, filled with int3; null when
// no memory could be had where asked.
uint8_t* AllocateSlot(const void* target, Placement placement) noexcept;
// Gives a slot back; its bytes stay until it is handed out again, as late as the region allows.
void FreeSlot(uint8_t* slot) noexcept;

} // namespace zarn::intercept
