// PostTarget: posts until it is closed and never after.
#include "framework/PostTarget.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace zarn;

namespace {

constexpr UINT Marker = WM_APP + 77;

bool Queued(HWND wnd) {
    MSG msg;
    return ::PeekMessageW(&msg, wnd, Marker, Marker, PM_REMOVE) != FALSE;
}

} // namespace

TEST(PostTarget, PostsWhileOpenAndNothingOnceClosed) {
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    PostTarget target(wnd);
    EXPECT_TRUE(target.IsOpen());
    EXPECT_TRUE(target.Post(Marker, 1, 2));
    EXPECT_TRUE(Queued(wnd));
    target.Close();
    EXPECT_FALSE(target.IsOpen());
    EXPECT_FALSE(target.Post(Marker, 1, 2));
    EXPECT_FALSE(Queued(wnd));
    ::DestroyWindow(wnd);

    PostTarget none(nullptr);
    EXPECT_FALSE(none.Post(Marker, 0, 0));
}
