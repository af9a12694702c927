// The launcher menu's items.
#include "launcher/LauncherMenu.h"

#include "base/Product.h"

namespace zarn {

std::vector<LauncherMenuItem> LauncherMenuItems(bool trayVariant, const std::wstring& bossKeyText) {
    std::vector<LauncherMenuItem> items = {
        {MenuRefresh, L"刷新 (F5)"},   {MenuToggle, L"隐藏/恢复(" + bossKeyText + L")"},
        {MenuClearCache, L"清除缓存"}, {MenuSeparator, L""},
        {MenuUpdate, L"更新"},         {MenuSettings, L"设置..."},
    };
    if (trayVariant)
        items.push_back({MenuExit, L"退出"});
    else
        items.push_back({MenuVersion, std::wstring(L"版本号: ") + product::Version});
    return items;
}

} // namespace zarn
