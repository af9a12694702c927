// The launcher and game frames that stop answering. A frame is a child window of another process; it
// shares the launcher's input, so every change of activation or focus that involves one of its windows
// waits for its thread. The launcher therefore never waits on a frame without a bound: it asks each frame
// on its timer whether it answers, marks a tab that does not in the strip, takes a hung frame's input off
// its own (with the activation and focus it held) before it changes them itself, activates a tab only
// once it answered, and ends the process of a closed tab that does not close.
#include <algorithm>

#include "base/Product.h"
#include "framework/ForeignWnd.h"
#include "framework/Wnd.h"
#include "launcher/Plexo3Dlg_win.h"
#include "skin/MessageBox_win.h"

namespace zarn {
namespace {

// How long the launcher waits for a frame before an activation or focus change.
constexpr UINT FrameProbeMs = 500;
// How long a closed tab has to close before its process is ended.
constexpr DWORD TabCloseLimitMs = 5000;

} // namespace

std::vector<HWND> CPlexo3Dlg::Frames() const {
    std::vector<HWND> frames = Tabs.TabWindows();
    if (HallWindow)
        frames.push_back(HallWindow);
    return frames;
}

// The tab or the hall whose process made the window; null for a window of any other process.
HWND CPlexo3Dlg::FrameOfWindow(HWND window) const {
    if (!window || IsWindowOfThisProcess(window))
        return nullptr;
    const DWORD pid = ProcessOfWindow(window);
    for (HWND frame : Frames())
        if (pid != 0 && ProcessOfWindow(frame) == pid)
            return frame;
    return nullptr;
}

// On every tick: each frame is asked (answered asynchronously); one whose question waited too long
// stops answering.
void CPlexo3Dlg::CheckFramesAnswer() {
    const auto tick = Responses.OnTick(Frames(), ::GetTickCount());
    for (HWND frame : tick.Ask)
        ::SendMessageCallbackW(frame, WM_NULL, 0, 0, FrameAnswered, 0);
    for (HWND frame : tick.StoppedAnswering)
        OnFrameStoppedAnswering(frame);
}

void CALLBACK CPlexo3Dlg::FrameAnswered(HWND frame, UINT, ULONG_PTR, LRESULT) {
    if (TheLauncher)
        TheLauncher->OnFrameAnswered(frame);
}

// A frame that answers again gets back the input it shares with the launcher.
void CPlexo3Dlg::OnFrameAnswered(HWND frame) {
    if (!Responses.Answered(frame))
        return;
    const DWORD thread = ::GetWindowThreadProcessId(frame, nullptr);
    const auto detached = std::find(DetachedThreads.begin(), DetachedThreads.end(), thread);
    if (detached != DetachedThreads.end()) {
        ::AttachThreadInput(thread, ::GetCurrentThreadId(), TRUE);
        DetachedThreads.erase(detached);
    }
    InvalidateTab(Tabs.IndexOf(frame));
}

// Answers within the bound; a frame that does not is marked at once. A frame that is gone is no
// hung one.
bool CPlexo3Dlg::FrameAnswers(HWND frame) {
    const CForeignWnd foreign(frame);
    if (!foreign.IsWindow() || Responses.NotResponding(frame))
        return false;
    if (foreign.Answers(FrameProbeMs))
        return true;
    if (Responses.MarkNotResponding(frame))
        OnFrameStoppedAnswering(frame);
    return false;
}

// The hung frame's thread leaves the launcher's input, taking along the activation and focus it held,
// so that the launcher's own changes of them no longer wait for it. Its tab shows "(未响应)".
void CPlexo3Dlg::OnFrameStoppedAnswering(HWND frame) {
    const DWORD thread = ::GetWindowThreadProcessId(frame, nullptr);
    const DWORD own = ::GetCurrentThreadId();
    if (thread != 0 && thread != own &&
        std::find(DetachedThreads.begin(), DetachedThreads.end(), thread) == DetachedThreads.end() &&
        ::AttachThreadInput(thread, own, FALSE))
        DetachedThreads.push_back(thread);
    InvalidateTab(Tabs.IndexOf(frame));
}

// Before the launcher changes the activation or the focus: the frame that holds either must answer.
void CPlexo3Dlg::ReleaseInputFromHungFrames() {
    for (HWND holder : {::GetActiveWindow(), ::GetFocus()})
        if (const HWND frame = FrameOfWindow(holder))
            FrameAnswers(frame);
}

// The shown tab takes the keyboard, if it answers.
void CPlexo3Dlg::ActivateTab(HWND tab) {
    ReleaseInputFromHungFrames();
    if (FrameAnswers(tab))
        ::SetForegroundWindow(tab);
}

// On activation the dialog gives the focus back to the window that had it, waiting for that window's
// thread: not to a frame that does not answer (the launcher keeps the focus then).
bool CPlexo3Dlg::MayRestoreFocus() {
    const HWND frame = FrameOfWindow(LastFocus);
    return !frame || FrameAnswers(frame);
}

void CPlexo3Dlg::EndFrameProcess(HWND frame) {
    EndStartedProcess(ProcessOfWindow(frame));
}

// Ends a process this launcher started and still watches; any other is left alone.
void CPlexo3Dlg::EndStartedProcess(DWORD pid) {
    if (HANDLE process = Processes.Process(pid))
        ::TerminateProcess(process, 0);
}

// A closed tab's process has a few seconds to end; the timer ends it after that.
void CPlexo3Dlg::WatchClosingTab(HWND tab) {
    const DWORD pid = ProcessOfWindow(tab);
    if (pid != 0 && Processes.Process(pid))
        Closing.push_back(ClosingTab{pid, ::GetTickCount()});
}

void CPlexo3Dlg::EndTabsThatDidNotClose() {
    const DWORD now = ::GetTickCount();
    for (auto it = Closing.begin(); it != Closing.end();) {
        if (now - it->Since <= TabCloseLimitMs) {
            ++it;
            continue;
        }
        EndStartedProcess(it->Pid);
        it = Closing.erase(it);
    }
}

int CPlexo3Dlg::Ask(UINT type, const std::wstring& text) {
    ReleaseInputFromHungFrames();
    return ShowMessageBox(type, product::Caption, text.c_str(), GetSafeHwnd());
}

} // namespace zarn
