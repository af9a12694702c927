// Fixed names of the product: folders, registry keys, captions and the version. Portable.
#pragma once

namespace zarn::product {

inline constexpr const wchar_t* Version = L"3.0.0.2";
inline constexpr const wchar_t* VersionDigits = L"3002";
inline constexpr const wchar_t* Caption = L"MirelCorvale";
inline constexpr const wchar_t* ProgramFileName = L"Zarn.exe";

// Below CSIDL_COMMON_APPDATA.
inline constexpr const wchar_t* MakerFolder = L"\\Mirel";
inline constexpr const wchar_t* InstallSubFolder = L"\\Mirel\\DaruRavoz";
inline constexpr const wchar_t* StatisticFileName = L"Statistic.ini";
inline constexpr const wchar_t* IniSection = L"Zarn";

inline constexpr const wchar_t* NewProgramFileName = L"NewZarn.exe";
inline constexpr const wchar_t* OldProgramFileName = L"OldZarn.exe";
inline constexpr const wchar_t* UpdateConfigFileName = L"ConfigZarn.htm";

// HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* RegistryKey = L"Software\\Mirel\\DaruRavoz\\Zarn";
inline constexpr const wchar_t* UpdTimeValue = L"UpdTime";
inline constexpr const wchar_t* DisableDaysValue = L"DisableDays";

// Start-up messages.
inline constexpr const wchar_t* NoNetworkText = L"当前网络不可用，请检查网络连接是否正常！";
inline constexpr const wchar_t* ConfirmUninstallText = L"确定要移除 MirelCorvale极速登录器吗？";
inline constexpr const wchar_t* OleFailedText = L"初始化OLE库失败";
inline constexpr const wchar_t* OldFlashText =
    L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?";

} // namespace zarn::product
