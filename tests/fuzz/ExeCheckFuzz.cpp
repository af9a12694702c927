// Fuzzes the program-header check: any bytes give an answer without reading outside them, and a
// yes only for bytes that start with "MZ".
#include "update/ExeCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const uint16_t machine : {zarn::MachineI386, zarn::MachineAmd64, uint16_t{0}}) {
        if (zarn::IsProgramImage(data, size, machine) && (size < 2 || data[0] != 'M' || data[1] != 'Z'))
            __builtin_trap();
    }
    return 0;
}
