// CSettingDlg: the hot-key settings dialog, and the readers of the stored hot keys that the launcher
// and the game windows use without ever showing it.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Handle.h"
#include "settings/HotKeyCapture.h"
#include "settings/HotKeyText.h"
#include "skin/BtnEx_win.h"
#include "skin/DlgEx_win.h"
#include "skin/StaticEx_win.h"

namespace zarn {

class CSettingDlg : public CDlgEx {
  public:
    enum : UINT { TemplateId = 158 };
    enum : int {
        BossKeyEditId = 1007,
        SwitchKeyEditId = 1010,
        SoundKeyEditId = 1014,
        BossGroupId = 1017,
        SwitchGroupId = 1012,
        SoundGroupId = 1013,
    };
    // The colour behind the group boxes.
    static constexpr COLORREF GroupBoxColor = RGB(231, 241, 247);

    // Never shown unless DoModal is called; the readers work without a window.
    explicit CSettingDlg(HWND parent = nullptr);
    ~CSettingDlg() override { DestroyWindow(); }

    // Reads a value of section "Zarn" in "Statistic.ini" beside the program and decodes it;
    // defaultValue when it is missing or malformed.
    StoredHotKey LoadHotKey(const wchar_t* valueName, const wchar_t* defaultValue) const;
    StoredHotKey LoadBossKey() const;   // "ShortKey", F10
    StoredHotKey LoadSwitchKey() const; // "AltWndKey", Ctrl + Tab
    StoredHotKey LoadSoundKey() const;  // "SndKey", Ctrl + Q

    // Posts UM_HOTKEYSCHANGED to the first ten top-level "#32770" windows titled "MirelCorvale" in
    // z-order (the launcher windows of every running launcher); the number posted to.
    static int NotifyHotKeysChanged();

    // Takes key presses in the three boxes before the edit controls see them.
    BOOL PreTranslateMessage(MSG* msg) override;

    CWnd BossKeyEdit;
    CWnd SwitchKeyEdit;
    CWnd SoundKeyEdit;
    int BossKeyCode = 0;
    int SwitchKeyCode = 0;
    int SoundKeyCode = 0;
    CStaticEx BossKeyLabel;
    CStaticEx BossKeyExample;
    CStaticEx SwitchKeyLabel;
    CStaticEx SwitchKeyExample;
    CStaticEx SoundKeyLabel;
    CStaticEx SoundKeyExample;
    CBtnEx OkButton;
    CBtnEx CancelButton;

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { CDialog::OnCancel(); }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    // The group boxes' brush for WM_CTLCOLOR*, made once and released with the dialog.
    HBRUSH OnCtlColor(HWND control);
    // A key box with its remembered key.
    struct KeyBox {
        HotKeyBox Box;
        CWnd* Edit;
        int* KeyCode;
    };
    // The box with the focus; none when none of the three has it.
    std::optional<KeyBox> FocusedBox();
    void SaveBox(const wchar_t* valueName, const std::wstring& text, int keyCode) const;

    UniqueBrush GroupBoxBrush;
};

} // namespace zarn
