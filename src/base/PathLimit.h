// The longest full path the program's file calls take. Portable.
#pragma once

#include <cstddef>

namespace zarn {

// MAX_PATH without its terminating zero. A longer path is refused where it is made, never cut.
inline constexpr std::size_t MaxPathLength = 259;

} // namespace zarn
