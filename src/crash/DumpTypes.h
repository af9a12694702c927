// The minidump types the crash writer asks for, richest first, and the order in which it tries them.
// Portable.
#pragma once

#include <cstdint>
#include <functional>

namespace zarn {

// MiniDumpWithDataSegs | WithHandleData | WithUnloadedModules | WithPrivateReadWriteMemory |
// WithFullMemoryInfo | WithThreadInfo.
inline constexpr uint32_t RichDumpType = 0x1A25;
// The same without the memory and thread information.
inline constexpr uint32_t ReducedDumpType = 0x225;
// MiniDumpNormal.
inline constexpr uint32_t NormalDumpType = 0;

// Calls write with each type in order until one succeeds; the type that worked, or -1 when none did.
int64_t WriteFirstAcceptedDump(const std::function<bool(uint32_t type)>& write);

} // namespace zarn
