// Window messages that the program's processes exchange (WM_USER + n), and the mark the program puts
// in the lParam of key and system-command messages it makes itself. Portable: plain numbers.
#pragma once

namespace zarn {

inline constexpr unsigned WindowMessageUser = 0x0400; // WM_USER

inline constexpr unsigned UM_TRAYNOTIFY = WindowMessageUser + 1;        // tray icon -> launcher
inline constexpr unsigned UM_GAMEWINDOWCREATED = WindowMessageUser + 2; // frame -> launcher (lParam 1: hall)
inline constexpr unsigned UM_TRAYMENU = WindowMessageUser + 3;          // launcher -> itself
inline constexpr unsigned UM_HOTKEYSCHANGED = WindowMessageUser + 4;    // settings -> every launcher
inline constexpr unsigned UM_SOUNDSTATE = WindowMessageUser + 5;        // launcher -> tabs (wParam 1: muted)
inline constexpr unsigned UM_ADDACCOUNTCHOICE = WindowMessageUser + 6;  // drop-down -> launcher (1: tab)
inline constexpr unsigned UM_RELOADHOTKEYS = WindowMessageUser + 7;     // launcher -> tabs and hall
inline constexpr unsigned UM_BOSSKEY =
    WindowMessageUser + 8; // launcher -> tabs and hall (wParam 1: hide, 0: show)

// lParam of a key or system-command message the program posted itself.
inline constexpr long ProgramMadeMark = 6021;

} // namespace zarn
