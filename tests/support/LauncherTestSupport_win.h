// Helpers for the launcher tests: the launcher's test build started as the program is (from the
// install folder with "/ZarnD"), the stand-in game-window processes it starts (their instructions and
// logs), its message boxes, and its caption's geometry on screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/WinTestSupport_win.h"

namespace zarn::test {

// The folder the stand-in game windows read their instructions from and write their logs to.
std::wstring PeerFolder();
// What the next "/newgm" stand-in does: "cancel", "login" (sends title), "titleonly" (sends it and
// ends), "waiting" (sends it and waits), "frameonly"; its log goes to `log`.
void SetNextPeer(const std::wstring& mode, const std::wstring& title, const std::wstring& log);
// The complete lines of a UTF-8 text file that may still be growing.
std::vector<std::wstring> FileLines(const std::wstring& path);
// The lines a stand-in logged so far.
std::vector<std::wstring> PeerLog(const std::wstring& log);
// Waits until the log has a line starting with prefix; the line, or empty on time-out.
std::wstring WaitForPeerLine(const std::wstring& log, const std::wstring& prefix, DWORD timeoutMs = 20000);
// The number of lines starting with prefix.
size_t CountPeerLines(const std::wstring& log, const std::wstring& prefix);
// The frame a stand-in announced (its "frame" line), or null.
HWND PeerFrame(const std::wstring& log, DWORD timeoutMs = 20000);
// Stops a stand-in frame's thread taking messages, as a hung game does, for `ms` milliseconds (0: until
// the launcher's window is gone; PeerHangUntilEnded: until its process is ended); false when it did not
// say it hangs.
constexpr WPARAM PeerHangUntilEnded = 0xFFFFFFFF;
bool HangPeer(HWND frame, const std::wstring& log, WPARAM ms);

// Waits until pred() holds (checked every 20 ms); false on time-out.
template <typename Pred> bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

// The launcher's test build in the install folder, started with "/ZarnD" once the first stand-in's
// instructions are set; ended (and waited for) when the object goes.
class LauncherProcess {
  public:
    LauncherProcess();
    ~LauncherProcess();
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    bool Start(const std::wstring& firstPeerMode, const std::wstring& title, const std::wstring& log);
    // Ends the launcher as a user would (the tray menu's "退出"), killing it only if that fails.
    void Exit();
    HWND Window() const { return Window_; }
    DWORD Pid() const { return Program_.Pid; }
    bool Running() const;
    // Waits for the process to end by itself.
    bool WaitForEnd(DWORD timeoutMs = 20000);
    // A message box of the launcher (a window titled "MirelCorvale" other than the launcher's own) and
    // its text; null on time-out.
    HWND WaitForBox(std::wstring* text = nullptr, DWORD timeoutMs = 10000) const;
    // Answers a box with its first (是/确定) or second (否) button.
    static void Answer(HWND box, bool first);
    // Posts a client-coordinate mouse message to the launcher window.
    void PostMouse(UINT msg, int x, int y, WPARAM keys = 0) const;
    // Logs in another account as a new tab of this window (the drop-down's "是"), and waits until the
    // launcher is done with it.
    void AddTab(const std::wstring& title, const std::wstring& log) const;
    // Opens the another-account drop-down (a click on its link); its window once shown and active, else
    // null.
    HWND OpenDropDown() const;
    // The launcher's open popup menu window, or null on time-out.
    HWND WaitForMenu(DWORD timeoutMs = 10000) const;
    // Posts a key-down to the launcher window (the menu loop reads keys from its queue).
    void PostKey(UINT key) const;

  private:
    Program Program_;
    HWND Window_ = nullptr;
};

// A window's rectangle on screen (read without asking the window's thread).
RECT WindowRect(HWND window);
// The launcher window's client point in screen coordinates.
POINT ClientToScreenPoint(HWND window, int x, int y);

} // namespace zarn::test
