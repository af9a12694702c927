// Tries the dump types in order.
#include "crash/DumpTypes.h"

namespace zarn {

int64_t WriteFirstAcceptedDump(const std::function<bool(uint32_t type)>& write) {
    for (uint32_t type : {RichDumpType, ReducedDumpType, NormalDumpType})
        if (write(type))
            return type;
    return -1;
}

} // namespace zarn
