// The launcher menu's two variants: ids, texts and order.
#include <gtest/gtest.h>

#include "launcher/LauncherMenu.h"

using namespace zarn;

TEST(LauncherMenu, SystemAndTrayVariants) {
    const auto system = LauncherMenuItems(false, L"F10");
    ASSERT_EQ(system.size(), 7u);
    const unsigned systemIds[] = {1, 2, 3, 0, 4, 5, 0xFFFFFFFFu};
    const wchar_t* systemTexts[] = {L"刷新 (F5)", L"隐藏/恢复(F10)", L"清除缓存",       L"",
                                    L"更新",      L"设置...",        L"版本号: 3.0.0.2"};
    for (size_t i = 0; i < system.size(); ++i) {
        EXPECT_EQ(system[i].Id, systemIds[i]) << i;
        EXPECT_EQ(system[i].Text, systemTexts[i]) << i;
    }
    const auto tray = LauncherMenuItems(true, L"Ctrl  +  X");
    ASSERT_EQ(tray.size(), 7u);
    EXPECT_EQ(tray[1].Text, L"隐藏/恢复(Ctrl  +  X)");
    EXPECT_EQ(tray.back().Id, 6u);
    EXPECT_EQ(tray.back().Text, L"退出");
}
