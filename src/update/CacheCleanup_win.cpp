// Cache limit and clean-up (placeholder).
#include "update/CacheCleanup_win.h"

namespace zarn {

bool SetCacheLimit() {
    return false;
}

} // namespace zarn
