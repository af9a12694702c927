// Flash Player check (placeholder: counts as current).
#include "update/FlashCheck_win.h"

namespace zarn {

bool IsFlashPlayerCurrent() {
    return true;
}

} // namespace zarn
