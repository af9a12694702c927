// Writes a minidump beside the program when the process meets an exception nothing handles.
#pragma once

#include <windows.h>

namespace zarn {

LONG WINAPI TopLevelExceptionFilter(EXCEPTION_POINTERS* exception);

} // namespace zarn
