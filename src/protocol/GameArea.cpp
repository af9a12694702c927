// The game area inside the launcher.
#include "protocol/GameArea.h"

namespace zarn {

skin::Edges GameArea(int clientWidth, int clientHeight) {
    return {4, 30, clientWidth - 4, clientHeight - 4};
}

} // namespace zarn
