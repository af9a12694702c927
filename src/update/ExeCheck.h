// Whether a file's first bytes are the headers of a Windows GUI program for a given processor, so
// that the self-update never puts an empty file, a web page or a program of another kind in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn {

// Machine types of the file header.
constexpr uint16_t MachineI386 = 0x014c;
constexpr uint16_t MachineAmd64 = 0x8664;

// The machine type of this build's own program.
constexpr uint16_t BuildMachine() {
#if defined(__x86_64__) || defined(_M_X64)
    return MachineAmd64;
#else
    return MachineI386;
#endif
}

// How many leading bytes of a file IsProgramImage needs at most.
constexpr size_t ProgramHeaderBytes = 4096;

// True when the bytes (the start of a file) hold an "MZ" header whose new-header offset leads, within
// the bytes, to "PE\0\0" and a file header of the given machine marked executable and not a library,
// followed by an optional header of that machine's format (PE32 for i386, PE32+ for AMD64) whose
// subsystem is the Windows GUI one. Any other input, including too few bytes, gives false.
bool IsProgramImage(const unsigned char* bytes, size_t size, uint16_t machine);

} // namespace zarn
