// Messages that only the test build's windows answer; the release program ignores them.
#pragma once

namespace zarn::testbuild {

// To the launcher window: keeps its thread busy for wParam milliseconds (at most 5000), so that a test
// can press hot keys while the keyboard hook's events pile up. WM_APP + 0x1B0.
inline constexpr unsigned LauncherBusyMessage = 0x8000 + 0x1B0;

} // namespace zarn::testbuild
