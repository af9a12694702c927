// The boss key: the launcher and everything of the program put away at once, every game process
// putting away its own, and all of it brought back to the front.
#include "framework/ForeignWnd.h"
#include "launcher/Plexo3Dlg_win.h"
#include "protocol/ProgramMessages.h"

namespace zarn {

void CPlexo3Dlg::ToggleLauncherVisible() {
    ReleaseInputFromHungFrames();
    if (::IsWindowVisible(GetSafeHwnd())) {
        // Everything of the program goes: a menu closes, the settings dialog ends as cancelled, the
        // launcher's other windows (an open question, the drop-down) are put away as they are, and
        // every game process puts away its own.
        ::EndMenu();
        if (ModalDialog && ModalDialog->GetSafeHwnd() && ::IsWindowVisible(ModalDialog->GetSafeHwnd()))
            ModalDialog->EndDialog(IDCANCEL);
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        BossHidden.Hide(GetSafeHwnd());
        for (HWND frame : Frames())
            CForeignWnd(frame).PostMessage(UM_BOSSKEY, 1, 0);
        return;
    }
    if (::IsIconic(GetSafeHwnd())) {
        ::ShowWindow(GetSafeHwnd(), SW_RESTORE);
    } else {
        // Shown without painting at once: painting now would wait for every frame's thread, a hung one
        // among them; each window paints when its own thread gets to it.
        ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, 0, 0,
                       SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                           SWP_NOREDRAW | SWP_DEFERERASE);
        ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    const HWND restored = BossHidden.Restore();
    for (HWND frame : Frames())
        CForeignWnd(frame).PostMessage(UM_BOSSKEY, 0, 0);
    BringWindowToFront();
    // An open question of the launcher takes the keyboard back (the launcher is disabled under it).
    if (restored && !::IsWindowEnabled(GetSafeHwnd()))
        ::SetForegroundWindow(restored);
}

void CPlexo3Dlg::BringWindowToFront() {
    HWND wnd = GetSafeHwnd();
    const DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    const DWORD thisThread = ::GetCurrentThreadId();
    const bool attach = foregroundThread != 0 && foregroundThread != thisThread &&
                        ::AttachThreadInput(thisThread, foregroundThread, TRUE);
    // Without erasing at once, which would wait for every frame's thread (see ToggleLauncherVisible).
    ::SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_DEFERERASE);
    ::SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_DEFERERASE);
    ::SetForegroundWindow(wnd);
    if (attach)
        ::AttachThreadInput(thisThread, foregroundThread, FALSE);
}

} // namespace zarn
