// Shortcut paths, the user's own desktop and the browser-emulation value name.
#include "setup/Shortcuts.h"

#include <gtest/gtest.h>

using namespace zarn;
using namespace zarn::setup;

TEST(Shortcuts, LinkPathsAndThePortalDescription) {
    EXPECT_EQ(LinkPath(L"C:\\users\\Public\\Desktop", GameShortcutName),
              L"C:\\users\\Public\\Desktop\\MirelCorvale极速登录器.lnk");
    EXPECT_EQ(PortalShortcutDescription(L"www.portal.test"), L"www.portal.test中国最大的网页游戏平台");
}

TEST(Shortcuts, TheOwnDesktopIsBesideTheDocumentsFolder) {
    EXPECT_EQ(UserDesktopFolder(L"C:\\Users\\me\\Documents", L"C:\\Users\\Public\\Desktop"),
              L"C:\\Users\\me\\Desktop");
    EXPECT_EQ(UserDesktopFolder(L"C:\\Documents and Settings\\me\\My Documents",
                                L"C:\\Documents and Settings\\All Users\\桌面"),
              L"C:\\Documents and Settings\\me\\桌面");
    EXPECT_EQ(UserDesktopFolder(L"Documents", L"C:\\Users\\Public\\Desktop"), L"");
    EXPECT_EQ(UserDesktopFolder(L"C:\\Users\\me\\Documents", L""), L"");
}

TEST(Shortcuts, TheEmulationValueIsTheFileNameCutTo63Characters) {
    EXPECT_EQ(BrowserEmulationValueName(L"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe"), L"Zarn.exe");
    const std::wstring longName(80, L'z');
    EXPECT_EQ(BrowserEmulationValueName(L"C:\\x\\" + longName), std::wstring(63, L'z'));
}
