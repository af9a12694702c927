// The items of the launcher menu, in its two variants: under the system button and at the tray icon.
// Portable.
#pragma once

#include <string>
#include <vector>

namespace zarn {

enum LauncherMenuId : unsigned {
    MenuRefresh = 1,
    MenuToggle = 2,
    MenuClearCache = 3,
    MenuUpdate = 4,
    MenuSettings = 5,
    MenuExit = 6,
    MenuVersion = 0xFFFFFFFFu, // enabled, and no action
    MenuSeparator = 0
};

struct LauncherMenuItem {
    unsigned Id;
    std::wstring Text; // empty for the separator
};

// bossKeyText: the boss key as the settings show it ("F10" by default).
std::vector<LauncherMenuItem> LauncherMenuItems(bool trayVariant, const std::wstring& bossKeyText);

} // namespace zarn
