// Fuzzes the program-header check: any bytes give an answer without reading outside them, and a
// yes only for bytes that start with "MZ". The input is checked as it is and laid over the headers
// of a valid program (by XOR), so that mutations also reach the checks behind the signatures.
#include "update/ExeCheck.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

std::vector<uint8_t> ValidHeaders() {
    std::vector<uint8_t> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3c] = 0x80;
    b[0x80] = 'P';
    b[0x81] = 'E';
    b[0x84] = 0x64; // AMD64
    b[0x85] = 0x86;
    b[0x94] = 240;  // optional header size
    b[0x96] = 0x02; // executable
    b[0x98] = 0x0b; // PE32+
    b[0x99] = 0x02;
    b[0x98 + 68] = 2; // GUI
    return b;
}

void Check(const uint8_t* data, size_t size) {
    for (const uint16_t machine : {zarn::MachineI386, zarn::MachineAmd64, uint16_t{0}}) {
        if (zarn::IsProgramImage(data, size, machine) && (size < 2 || data[0] != 'M' || data[1] != 'Z'))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check(data, size);
    static const std::vector<uint8_t> valid = ValidHeaders();
    // Exactly as many bytes as the input, so that reading past them is caught.
    const size_t n = size < valid.size() ? size : valid.size();
    std::vector<uint8_t> overlaid(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(n));
    for (size_t i = 0; i < overlaid.size(); ++i)
        overlaid[i] ^= data[i];
    Check(overlaid.data(), overlaid.size());
    return 0;
}
