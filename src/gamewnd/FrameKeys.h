// What the game frame does with a queued message before it is translated: the switch key goes to
// the launcher, Ctrl+D opens the favourites, F5 reloads unless it is one of the launcher's hot keys,
// and a close request arms the sweep of browser message boxes. Portable: plain message numbers.
#pragma once

#include <cstdint>

#include "protocol/HotKey.h"

namespace zarn {

enum class FrameKeyAction {
    None,          // the normal way
    ForwardSwitch, // post the same message to the launcher; handled
    Favourites,    // run the favourites dialog; handled
    Reload,        // reload the page; handled
    IgnoreF5,      // the launcher's hot key; handled, nothing done
    CloseRequest,  // start the box sweep, then the normal way
};

struct FrameHotKeys {
    HotKey Boss;
    HotKey Switch;
    HotKey Sound;
};

// The action for a message (msg, wParam, lParam), with the modifiers held when it was queued
// (Alt 1, Ctrl 2, Shift 4).
FrameKeyAction ClassifyFrameMessage(unsigned msg, uint64_t w, int64_t l, int modifierMask,
                                    const FrameHotKeys& keys);

// The first sound state always applies; later ones only when they differ from the last applied.
class SoundStateFilter {
  public:
    bool ShouldApply(uint64_t state) {
        if (HasState_ && state == Last_)
            return false;
        HasState_ = true;
        Last_ = state;
        return true;
    }

  private:
    bool HasState_ = false;
    uint64_t Last_ = 0;
};

} // namespace zarn
