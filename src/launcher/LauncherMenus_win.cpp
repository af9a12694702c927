// The launcher menu (under the system button, or the tray variant at the cursor), its commands, the
// forced update check they start, and the tray icon.
#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/Program_win.h"
#include "base/Product.h"
#include "framework/Handle.h"
#include "framework/PostTarget.h"
#include "launcher/LauncherMenu.h"
#include "launcher/Plexo3Dlg_win.h"
#include "protocol/ProgramMessages.h"
#include "settings/HotKeyText.h"
#include "settings/SettingDlg_win.h"
#include "update/CacheCleanup_win.h"
#include "update/SelfUpdate_win.h"

namespace zarn {

void CPlexo3Dlg::ShowLauncherMenu(bool trayVariant) {
    ReleaseInputFromHungFrames();
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    for (const LauncherMenuItem& item : LauncherMenuItems(trayVariant, BossKeyText())) {
        if (item.Id == MenuSeparator)
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(menu.get(), MF_STRING, item.Id, item.Text.c_str());
    }

    POINT at{};
    UINT flags = TPM_RETURNCMD;
    if (trayVariant) {
        ::SetForegroundWindow(GetSafeHwnd());
        ::GetCursorPos(&at);
        flags |= TPM_BOTTOMALIGN | TPM_RIGHTALIGN;
    } else {
        const RECT button = SystemButton.GetWindowRect();
        at = POINT{button.left, button.bottom + 2};
    }
    const UINT_PTR chosen =
        static_cast<UINT_PTR>(::TrackPopupMenu(menu.get(), flags, at.x, at.y, 0, GetSafeHwnd(), nullptr));
    menu.reset();
    RunMenuCommand(chosen);
}

void CPlexo3Dlg::RunMenuCommand(UINT_PTR id) {
    switch (id) {
    case MenuRefresh:
        PostMessage(WM_KEYDOWN, VK_F5, ProgramMadeMark);
        break;
    case MenuToggle:
        ToggleLauncherVisible();
        break;
    case MenuClearCache:
        // The thread is not waited for: the message shows while it may still run.
        if (HANDLE thread = ::CreateThread(nullptr, 0, CacheCleanupThread, nullptr, 0, nullptr))
            ::CloseHandle(thread);
        Ask(MB_OK, L"缓存清除完毕！");
        break;
    case MenuUpdate:
        StartUpdateCheck();
        break;
    case MenuSettings:
        RunSettingsDialog();
        break;
    case MenuExit:
        ExitLauncher();
        break;
    default:
        break; // the version item and no choice
    }
}

// The forced check reads the update configuration from the network: it runs on a thread of its
// own, so the tabs keep their sound and the window keeps painting, and posts its answer back. Its
// thread writes nothing of this process: the update process started on a difference checks again.
void CPlexo3Dlg::StartUpdateCheck() {
    if (UpdateCheckTarget)
        return; // one check at a time
    UpdateCheckTarget = std::make_shared<PostTarget>(GetSafeHwnd());
    if (!zarn::StartUpdateCheck(UpdateCheckTarget, UM_UPDATECHECKED, ProgramPath())) {
        UpdateCheckTarget.reset();
        OnUpdateChecked(false);
    }
}

void CPlexo3Dlg::OnUpdateChecked(bool differs) {
    UpdateCheckTarget.reset();
    if (differs) {
        StartUpdateProcess();
        ExitLauncher();
        return;
    }
    Ask(MB_OK, L"已经是最新版本，无需进行更新。");
}

void CPlexo3Dlg::StartUpdateProcess() {
    StartedProcess started;
    StartProcess(nullptr, L"\"" + ProgramPath() + L"\" /update", SW_SHOWNORMAL, IDLE_PRIORITY_CLASS, started);
}

void CPlexo3Dlg::SetTrayIcon(bool add) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V3_SIZE;
    data.hWnd = GetSafeHwnd();
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = UM_TRAYNOTIFY;
    data.hIcon = Icon;
    lstrcpynW(data.szTip, product::Caption, ARRAYSIZE(data.szTip));
    if (add) {
        TrayIconAdded = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    } else if (TrayIconAdded) {
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        TrayIconAdded = false;
    }
}

void CPlexo3Dlg::OnTrayNotify(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP)
        ToggleLauncherVisible();
    else if (mouseMessage == WM_RBUTTONUP)
        PostMessage(UM_TRAYMENU, 0, 0);
}

std::wstring CPlexo3Dlg::BossKeyText() const {
    const CSettingDlg settings(GetSafeHwnd());
    const StoredHotKey boss = settings.LoadBossKey();
    return FormatHotKey(boss.Key, boss.Modifiers);
}

void CPlexo3Dlg::RunSettingsDialog() {
    ReleaseInputFromHungFrames();
    CSettingDlg settings(GetSafeHwnd());
    ModalDialog = &settings;
    settings.DoModal();
    ModalDialog = nullptr;
}

} // namespace zarn
