// Names, arguments and texts of the program's shortcuts and of its uninstall. Portable.
#pragma once

#include <string>

namespace zarn::setup {

inline constexpr const wchar_t* GameShortcutName = L"MirelCorvale极速登录器";
inline constexpr const wchar_t* PortalShortcutName = L"Mirel网页游戏";
inline constexpr const wchar_t* UninstallShortcutName = L"卸载 MirelCorvale极速登录器";
inline constexpr const wchar_t* StartMenuFolderName = L"Mirel登录器";

inline constexpr const wchar_t* GameArguments = L"/ZarnD";
inline constexpr const wchar_t* PortalArguments = L"/webMirelD";
inline constexpr const wchar_t* UninstallArguments = L"/uninst";

inline constexpr int ProgramIconIndex = 0;
inline constexpr int PortalIconIndex = 1;

inline constexpr const wchar_t* PortalDescriptionSuffix = L"中国最大的网页游戏平台";

// The description of the portal shortcut: the portal's host name followed directly by the slogan.
std::wstring PortalShortcutDescription(const std::wstring& portalHost);

// The link file "<folder>\<name>.lnk".
std::wstring LinkPath(const std::wstring& folder, const std::wstring& name);

// The user's own desktop: the folder that holds the documents folder, followed by the common
// desktop's last path component. Empty when either path has no backslash.
std::wstring UserDesktopFolder(const std::wstring& documents, const std::wstring& commonDesktop);

// HKEY_LOCAL_MACHINE key of the browser-emulation values; ours is named after the program file.
inline constexpr const wchar_t* BrowserEmulationKey =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";
// The value name for a program path: its file name, at most 63 characters.
std::wstring BrowserEmulationValueName(const std::wstring& programPath);

inline constexpr const wchar_t* UninstalledText =
    L"MirelCorvale已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除";

} // namespace zarn::setup
