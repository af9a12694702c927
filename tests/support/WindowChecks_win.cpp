// A check over every Windows-side test: no window object outlived its most-derived destructor, i.e.
// every window class destroys its window in its own destructor (so WM_DESTROY reaches the object).
#include <gtest/gtest.h>

#include "framework/Wnd.h"

namespace zarn::test {
namespace {

class LateDestroyCheck : public ::testing::Environment {
  public:
    void TearDown() override {
        EXPECT_EQ(CWnd::LateDestroyCount(), 0u)
            << "a window was destroyed by a base-class destructor: a class lacks DestroyWindow() in its own";
    }
};

const ::testing::Environment* const TheLateDestroyCheck =
    ::testing::AddGlobalTestEnvironment(new LateDestroyCheck);

} // namespace
} // namespace zarn::test
