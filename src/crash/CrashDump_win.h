// Writes a minidump beside the program when the process meets an exception nothing handles.
#pragma once

#include <windows.h>

namespace zarn {

// The unhandled-exception filter: writes "<program without extension>.dmp" once per process and lets
// the system's own handling follow. A second exception (also one raised while the dump is being
// written) ends the process without another dump.
LONG WINAPI TopLevelExceptionFilter(EXCEPTION_POINTERS* exception);

// Writes a minidump of this process into the open file. Without exception pointers a breakpoint
// exception record for the caller's own context is made, so a dump can be asked for without a crash.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception);

} // namespace zarn
