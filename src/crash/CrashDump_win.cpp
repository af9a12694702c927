// Crash dump writer (not written yet: the system's own handling follows).
#include "crash/CrashDump_win.h"

namespace zarn {

LONG WINAPI TopLevelExceptionFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

} // namespace zarn
