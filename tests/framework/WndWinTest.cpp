// CWnd: windows of our own class bind at their first message, destruction reaches the whole object,
// parent notifications are offered to the child's object first, and windows of another process never
// yield an object.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/Handle.h"
#include "framework/Wnd.h"
#include "support/HelperProcess_win.h"

namespace zarn::test {
namespace {

const RECT SomeRect{10, 10, 310, 210};

// A window of a class of its own that records what its object sees.
class Recorder : public CWnd {
  public:
    ~Recorder() override { DestroyWindow(); }

    std::vector<UINT> Seen;
    int PreTranslated = 0;
    bool* DestroySeen = nullptr;
    const wchar_t* AdjustedTitle = nullptr;

    bool HasSeen(UINT msg) const { return std::find(Seen.begin(), Seen.end(), msg) != Seen.end(); }
    ptrdiff_t IndexOf(UINT msg) const { return std::find(Seen.begin(), Seen.end(), msg) - Seen.begin(); }

    BOOL PreTranslateMessage(MSG*) override {
        ++PreTranslated;
        return FALSE;
    }

  protected:
    void PreRegisterClass(WNDCLASSEXW& wc) override { wc.lpszClassName = L"ZarnTestRecorder"; }
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override {
        if (AdjustedTitle)
            cs.lpszName = AdjustedTitle;
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        Seen.push_back(msg);
        if (msg == WM_DESTROY && DestroySeen)
            *DestroySeen = true;
        return CWnd::WindowProc(msg, w, l);
    }
};

// A system control (subclassed after creation) that records its WM_DESTROY and answers the
// notifications its parent is offered when told to.
class Control : public CWnd {
  public:
    ~Control() override { DestroyWindow(); }

    bool* DestroySeen = nullptr;
    bool Handles = false;
    LRESULT Answer = 0;
    std::vector<UINT> Offered;

  protected:
    BOOL OnChildNotify(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        Offered.push_back(msg);
        if (!Handles)
            return FALSE;
        *result = Answer;
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_DESTROY && DestroySeen)
            *DestroySeen = true;
        return CWnd::WindowProc(msg, w, l);
    }
};

TEST(WindowObjects, OwnClassObjectSeesEveryCreationMessage) {
    Recorder window;
    ASSERT_TRUE(window.Create(0, L"recorder", WS_OVERLAPPEDWINDOW, SomeRect, nullptr));
    EXPECT_EQ(CWnd::FromHandle(window), &window);
    EXPECT_TRUE(window.HasSeen(WM_GETMINMAXINFO));
    EXPECT_TRUE(window.HasSeen(WM_NCCREATE));
    EXPECT_TRUE(window.HasSeen(WM_NCCALCSIZE));
    EXPECT_TRUE(window.HasSeen(WM_CREATE));
    EXPECT_LT(window.IndexOf(WM_NCCREATE), window.IndexOf(WM_CREATE));
    EXPECT_LT(window.IndexOf(WM_NCCALCSIZE), window.IndexOf(WM_CREATE));
}

TEST(WindowObjects, PreCreateWindowAdjustsTheCreation) {
    Recorder window;
    window.AdjustedTitle = L"adjusted";
    ASSERT_TRUE(window.Create(0, L"recorder", WS_POPUP, SomeRect, nullptr));
    EXPECT_EQ(window.GetWindowText(), L"adjusted");
}

TEST(WindowObjects, ChildOfOwnClassGetsItsControlId) {
    Recorder parent;
    ASSERT_TRUE(parent.Create(0, L"parent", WS_POPUP, SomeRect, nullptr));
    Recorder child;
    ASSERT_TRUE(child.Create(0, L"child", WS_CHILD, RECT{0, 0, 20, 20}, parent, 77));
    EXPECT_EQ(::GetDlgItem(parent, 77), child.GetSafeHwnd());
    EXPECT_TRUE(child.HasSeen(WM_NCCREATE));
}

TEST(WindowObjects, ObjectDestroyedByScopeSeesWmDestroy) {
    bool ownClassDestroyed = false;
    bool controlDestroyed = false;
    HWND ownWindow = nullptr;
    HWND controlWindow = nullptr;
    const unsigned lateBefore = CWnd::LateDestroyCount();
    {
        Recorder window;
        window.DestroySeen = &ownClassDestroyed;
        ASSERT_TRUE(window.Create(0, L"recorder", WS_POPUP, SomeRect, nullptr));
        Control control;
        control.DestroySeen = &controlDestroyed;
        ASSERT_TRUE(control.CreateEx(0, WC_STATICW, L"static", WS_CHILD, RECT{0, 0, 20, 20}, window, 5));
        ownWindow = window;
        controlWindow = control;
    }
    EXPECT_TRUE(ownClassDestroyed);
    EXPECT_TRUE(controlDestroyed);
    EXPECT_FALSE(::IsWindow(ownWindow));
    EXPECT_FALSE(::IsWindow(controlWindow));
    EXPECT_EQ(CWnd::LateDestroyCount(), lateBefore);
}

// A parent of our class with a static control bound to a Control object.
struct Family {
    Recorder Parent;
    Control Child;
    Family() {
        EXPECT_TRUE(Parent.Create(0, L"parent", WS_POPUP, SomeRect, nullptr));
        EXPECT_TRUE(Child.CreateEx(0, WC_STATICW, L"child", WS_CHILD, RECT{0, 0, 50, 20}, Parent, 9));
    }
};

TEST(WindowObjects, NotifyGoesToTheChildObjectFirst) {
    Family family;
    family.Child.Handles = true;
    family.Child.Answer = 7;
    NMHDR header{family.Child, 9, NM_CLICK};
    EXPECT_EQ(family.Parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&header)), 7);
    EXPECT_EQ(family.Child.Offered, std::vector<UINT>{WM_NOTIFY});
    EXPECT_FALSE(family.Parent.HasSeen(WM_NOTIFY));
}

TEST(WindowObjects, CommandFromAControlGoesToTheChildObjectFirst) {
    Family family;
    family.Child.Handles = true;
    family.Parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, STN_CLICKED),
                              reinterpret_cast<LPARAM>(family.Child.GetSafeHwnd()));
    EXPECT_EQ(family.Child.Offered, std::vector<UINT>{WM_COMMAND});
    EXPECT_FALSE(family.Parent.HasSeen(WM_COMMAND));
}

TEST(WindowObjects, CtlColorGoesToTheChildObjectFirst) {
    Family family;
    family.Child.Handles = true;
    HBRUSH brush = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    family.Child.Answer = reinterpret_cast<LRESULT>(brush);
    WindowDC dc(family.Child);
    EXPECT_EQ(family.Parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                        reinterpret_cast<LPARAM>(family.Child.GetSafeHwnd())),
              reinterpret_cast<LRESULT>(brush));
    EXPECT_EQ(family.Child.Offered, std::vector<UINT>{WM_CTLCOLORSTATIC});
    EXPECT_FALSE(family.Parent.HasSeen(WM_CTLCOLORSTATIC));
}

TEST(WindowObjects, ParentHandlesWhatTheChildDeclines) {
    Family family;
    NMHDR header{family.Child, 9, NM_CLICK};
    family.Parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&header));
    family.Parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, STN_CLICKED),
                              reinterpret_cast<LPARAM>(family.Child.GetSafeHwnd()));
    family.Parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, 0), 0); // a menu command names no control
    WindowDC dc(family.Child);
    family.Parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                              reinterpret_cast<LPARAM>(family.Child.GetSafeHwnd()));
    EXPECT_EQ(family.Child.Offered, (std::vector<UINT>{WM_NOTIFY, WM_COMMAND, WM_CTLCOLORSTATIC}));
    EXPECT_TRUE(family.Parent.HasSeen(WM_NOTIFY));
    EXPECT_TRUE(family.Parent.HasSeen(WM_CTLCOLORSTATIC));
    EXPECT_EQ(std::count(family.Parent.Seen.begin(), family.Parent.Seen.end(), WM_COMMAND), 2);
}

// Our top-level window T holds a child F of another process (bound to an object there), which holds a
// child C of ours: T - F - C.
TEST(WindowObjects, WindowOfAnotherProcessYieldsNoObject) {
    Recorder top;
    ASSERT_TRUE(top.Create(0, L"top", WS_POPUP, SomeRect, nullptr));
    HelperProcess helper(HelperRole::Responsive, top, top);
    HWND foreign = helper.WaitForWindow();
    ASSERT_NE(foreign, nullptr);
    ASSERT_EQ(::GetParent(foreign), top.GetSafeHwnd());
    EXPECT_EQ(CWnd::FromHandle(foreign), nullptr);

    Recorder inner;
    ASSERT_TRUE(inner.Create(WS_EX_NOPARENTNOTIFY, L"inner", WS_CHILD, RECT{0, 0, 20, 20}, foreign, 3));
    ASSERT_EQ(::GetParent(inner), foreign);
    EXPECT_EQ(CWnd::FromHandle(inner), &inner);

    // The walk stops at the foreign window: neither it nor our window above it is asked.
    MSG msg{inner, WM_KEYDOWN, VK_SPACE, 0, 0, {0, 0}};
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(&msg));
    EXPECT_EQ(inner.PreTranslated, 1);
    EXPECT_EQ(top.PreTranslated, 0);
    // Without the foreign window in between, the walk climbs to the top as before.
    Recorder direct;
    ASSERT_TRUE(direct.Create(0, L"direct", WS_CHILD, RECT{0, 0, 20, 20}, top, 4));
    msg.hwnd = direct;
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(&msg));
    EXPECT_EQ(direct.PreTranslated, 1);
    EXPECT_EQ(top.PreTranslated, 1);
    inner.DestroyWindow();
}

TEST(WindowObjects, WindowOfAnotherProcessCannotBeBound) {
    Recorder receiver;
    ASSERT_TRUE(receiver.Create(0, L"receiver", WS_POPUP, SomeRect, nullptr));
    HelperProcess helper(HelperRole::Responsive, receiver);
    HWND foreign = helper.WaitForWindow();
    ASSERT_NE(foreign, nullptr);
    Control control;
    EXPECT_FALSE(control.SubclassWindow(foreign));
    EXPECT_EQ(control.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandle(foreign), nullptr);
}

} // namespace
} // namespace zarn::test
