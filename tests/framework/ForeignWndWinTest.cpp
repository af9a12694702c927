// CForeignWnd: calls on a window of another process answer from a responsive process and return,
// without an answer, from a hung one.
#include <gtest/gtest.h>

#include "framework/ForeignWnd.h"
#include "framework/Handle.h"
#include "framework/Wnd.h"
#include "support/HelperProcess_win.h"

namespace zarn::test {
namespace {

class Receiver : public CWnd {
  public:
    ~Receiver() override { DestroyWindow(); }

  protected:
    void PreRegisterClass(WNDCLASSEXW& wc) override { wc.lpszClassName = L"ZarnTestReceiver"; }
};

// The window's own WS_VISIBLE (IsWindowVisible also asks the hidden parent).
bool HasVisibleStyle(HWND wnd) {
    return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// An answered message: the helper has handled every message we sent or notified before it.
bool Answered(const CForeignWnd& wnd) {
    LRESULT answer = 0;
    return wnd.SendMessage(HelperQuestionMessage, 0, 0, &answer) && answer == HelperAnswer;
}

TEST(ForeignWindow, OnlyRealWindowsOfOtherProcessesCount) {
    Receiver own;
    ASSERT_TRUE(own.Create(0, L"own", WS_POPUP, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(CForeignWnd(own).IsWindow());
    EXPECT_FALSE(CForeignWnd(HWND_BROADCAST).IsWindow());
    EXPECT_FALSE(CForeignWnd(reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))).IsWindow());
    EXPECT_FALSE(CForeignWnd(nullptr).IsWindow());
    EXPECT_FALSE(CForeignWnd(HWND_BROADCAST).PostMessage(WM_NULL));
    EXPECT_FALSE(CForeignWnd(own).ShowWindow(SW_SHOW));
}

TEST(ForeignWindow, ResponsiveProcessAnswersAndFollows) {
    Receiver receiver;
    ASSERT_TRUE(receiver.Create(0, L"receiver", WS_POPUP, RECT{0, 0, 300, 200}, nullptr));
    HelperProcess helper(HelperRole::Responsive, receiver);
    const CForeignWnd frame(helper.WaitForWindow());
    ASSERT_TRUE(frame.IsWindow());
    EXPECT_TRUE(Answered(frame));

    EXPECT_TRUE(frame.PostMessage(HelperPingMessage));
    EXPECT_TRUE(PumpUntilMessage(HelperEchoMessage, 30000));

    EXPECT_TRUE(frame.MoveWindow(RECT{20, 30, 140, 90}));
    ASSERT_TRUE(Answered(frame));
    const RECT moved = frame.GetWindowRect();
    EXPECT_EQ(moved.left, 20);
    EXPECT_EQ(moved.top, 30);
    EXPECT_EQ(moved.right - moved.left, 120);
    EXPECT_EQ(moved.bottom - moved.top, 60);

    EXPECT_TRUE(frame.SetParent(receiver));
    EXPECT_EQ(::GetAncestor(frame.GetSafeHwnd(), GA_PARENT), receiver.GetSafeHwnd());
    EXPECT_TRUE(frame.ShowWindow(SW_SHOWNA));
    ASSERT_TRUE(Answered(frame));
    EXPECT_TRUE(HasVisibleStyle(frame.GetSafeHwnd()));
    EXPECT_TRUE(frame.ShowWindow(SW_HIDE));
    ASSERT_TRUE(Answered(frame));
    EXPECT_FALSE(HasVisibleStyle(frame.GetSafeHwnd()));
    EXPECT_TRUE(frame.SetParent(nullptr));
    EXPECT_EQ(::GetAncestor(frame.GetSafeHwnd(), GA_PARENT), ::GetDesktopWindow());
    EXPECT_TRUE(frame.EnableWindow(false));
    EXPECT_FALSE(::IsWindowEnabled(frame.GetSafeHwnd()));
    EXPECT_TRUE(frame.EnableWindow(true));
    EXPECT_TRUE(::IsWindowEnabled(frame.GetSafeHwnd()));
}

struct HungCalls {
    CForeignWnd Frame;
    HWND NewParent = nullptr;
    bool StillAWindow = false;
    bool Answered = true;
    BOOL Reparented = TRUE;
    bool Disabled = true;
};

DWORD WINAPI CallHungWindow(void* parameter) {
    auto* calls = static_cast<HungCalls*>(parameter);
    const CForeignWnd& frame = calls->Frame;
    frame.ShowWindow(SW_SHOWNA);
    frame.ShowWindow(SW_HIDE);
    frame.MoveWindow(RECT{5, 5, 50, 50});
    frame.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    frame.PostMessage(HelperPingMessage);
    LRESULT answer = 0;
    calls->Answered = frame.SendMessage(HelperQuestionMessage, 0, 0, &answer, 500);
    calls->Reparented = frame.SetParent(calls->NewParent, 500);
    calls->Disabled = frame.EnableWindow(false, 500);
    calls->StillAWindow = frame.IsWindow();
    return 0;
}

TEST(ForeignWindow, HungProcessCannotHangTheCaller) {
    Receiver receiver;
    ASSERT_TRUE(receiver.Create(0, L"receiver", WS_POPUP, RECT{0, 0, 300, 200}, nullptr));
    HelperProcess helper(HelperRole::Hung, receiver);
    HungCalls calls;
    calls.Frame = CForeignWnd(helper.WaitForWindow());
    calls.NewParent = receiver;
    ASSERT_TRUE(calls.Frame.IsWindow());

    // The calls run on a thread of their own, so that a call that waits for the hung thread shows as
    // a thread that does not end, not as a test that never returns.
    UniqueHandle thread(::CreateThread(nullptr, 0, CallHungWindow, &calls, 0, nullptr));
    ASSERT_TRUE(thread);
    const bool ended = PumpUntilSignalled(thread.get(), 60000);
    if (!ended) {
        helper.End(); // releases a call stuck on the hung thread before `calls` goes
        PumpUntilSignalled(thread.get(), 30000);
    }
    ASSERT_TRUE(ended) << "a call waited for the hung window's thread";
    EXPECT_TRUE(calls.StillAWindow);
    EXPECT_FALSE(calls.Answered);
    EXPECT_FALSE(calls.Reparented);
    EXPECT_FALSE(calls.Disabled);
    EXPECT_TRUE(::IsWindowEnabled(calls.Frame.GetSafeHwnd()));
    EXPECT_EQ(::GetAncestor(calls.Frame.GetSafeHwnd(), GA_PARENT), ::GetDesktopWindow());
}

} // namespace
} // namespace zarn::test
