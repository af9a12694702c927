// The hot-key settings dialog: loading the three keys into their boxes, capturing new ones, saving
// them to "Statistic.ini" and telling the launcher windows to reload them.
#include "settings/SettingDlg_win.h"

#include "settings/HeldModifiers_win.h"

#include <vector>

#include "app/Program_win.h"
#include "base/Product.h"
#include "framework/WinApp.h"
#include "protocol/ProgramMessages.h"
#include "settings/HeldModifiers_win.h"
#include "skin/MessageBox_win.h"
#include "skin/SkinImage_win.h"

namespace zarn {
namespace {

enum : UINT { SkinImageId = 131, CloseImageId = 132, PushButtonImageId = 133 };

const wchar_t BossKeyValue[] = L"ShortKey";
const wchar_t SwitchKeyValue[] = L"AltWndKey";
const wchar_t SoundKeyValue[] = L"SndKey";
const wchar_t BossKeyDefault[] = L"0,121";
const wchar_t SwitchKeyDefault[] = L"2,9";
const wchar_t SoundKeyDefault[] = L"2,81";
const wchar_t ConflictText[] = L"热键冲突，请重新设置不同热键值";

// A stored value is read into a buffer one character longer than the longest value the program
// takes, so that a longer one is seen to be longer (and malformed) rather than cut.
constexpr DWORD StoredValueChars = StoredHotKeyChars + 2;
// Class names and window texts of the top-level windows are read up to these lengths.
constexpr int ClassNameChars = 64;
constexpr int WindowTextChars = 128;

std::wstring SettingsFilePath() {
    return PathBesideProgram(product::StatisticFileName);
}

BOOL CALLBACK CollectListener(HWND wnd, LPARAM param) {
    auto* found = reinterpret_cast<std::vector<HWND>*>(param);
    wchar_t className[ClassNameChars] = {};
    wchar_t text[WindowTextChars] = {};
    ::GetClassNameW(wnd, className, ClassNameChars);
    ::GetWindowTextW(wnd, text, WindowTextChars);
    if (IsHotKeyListener(className, text))
        found->push_back(wnd);
    return found->size() < static_cast<size_t>(MaxNotifiedLaunchers);
}

} // namespace

CSettingDlg::CSettingDlg(HWND parent) : CDlgEx(TemplateId, parent) {}

StoredHotKey CSettingDlg::LoadHotKey(const wchar_t* valueName, const wchar_t* defaultValue) const {
    const std::wstring path = SettingsFilePath();
    const wchar_t* fallback = defaultValue ? defaultValue : L"";
    if (path.empty() || !valueName)
        return DecodeHotKey(fallback, fallback);
    wchar_t buffer[StoredValueChars] = {};
    const DWORD got = ::GetPrivateProfileStringW(product::IniSection, valueName, fallback, buffer,
                                                 StoredValueChars, path.c_str());
    return DecodeHotKey(std::wstring_view(buffer, got < StoredValueChars ? got : StoredValueChars - 1),
                        fallback);
}

StoredHotKey CSettingDlg::LoadBossKey() const {
    return LoadHotKey(BossKeyValue, BossKeyDefault);
}

StoredHotKey CSettingDlg::LoadSwitchKey() const {
    return LoadHotKey(SwitchKeyValue, SwitchKeyDefault);
}

StoredHotKey CSettingDlg::LoadSoundKey() const {
    return LoadHotKey(SoundKeyValue, SoundKeyDefault);
}

void CSettingDlg::DoDataExchange(DataExchange& exchange) {
    exchange.Control(BossKeyEditId, BossKeyEdit);
    exchange.Control(SwitchKeyEditId, SwitchKeyEdit);
    exchange.Control(SoundKeyEditId, SoundKeyEdit);
    exchange.Control(1006, BossKeyLabel);
    exchange.Control(1008, BossKeyExample);
    exchange.Control(1009, SwitchKeyLabel);
    exchange.Control(1011, SwitchKeyExample);
    exchange.Control(1016, SoundKeyLabel);
    exchange.Control(1015, SoundKeyExample);
    exchange.Control(IDOK, OkButton);
    exchange.Control(IDCANCEL, CancelButton);
}

BOOL CSettingDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetFrameLayout(30, 4, 0, 0, 0);
    SetTitle(L"设置");
    const HINSTANCE resources = AfxGetInstanceHandle();
    {
        // The close and button images are only read: the buttons keep their own frames.
        UniqueBitmap closeImage(LoadSkinImage(resources, CloseImageId));
        SetSkin(UniqueBitmap(LoadSkinImage(resources, SkinImageId)), FALSE, TRUE, nullptr, {}, {},
                closeImage.get());
        UniqueBitmap buttonImage(LoadSkinImage(resources, PushButtonImageId));
        OkButton.SetImage(buttonImage.get(), FALSE);
        CancelButton.SetImage(buttonImage.get(), FALSE);
    }

    const StoredHotKey boss = LoadBossKey();
    BossKeyCode = boss.Key;
    BossKeyEdit.SetWindowText(FormatHotKey(boss.Key, boss.Modifiers));
    const StoredHotKey switchKey = LoadSwitchKey();
    SwitchKeyCode = switchKey.Key;
    SwitchKeyEdit.SetWindowText(FormatHotKey(switchKey.Key, switchKey.Modifiers));
    const StoredHotKey sound = LoadSoundKey();
    SoundKeyCode = sound.Key;
    SoundKeyEdit.SetWindowText(FormatHotKey(sound.Key, sound.Modifiers));
    return TRUE;
}

std::optional<CSettingDlg::KeyBox> CSettingDlg::FocusedBox() {
    HWND focus = ::GetFocus();
    if (!focus)
        return std::nullopt;
    for (const KeyBox& box : {KeyBox{HotKeyBox::Boss, &BossKeyEdit, &BossKeyCode},
                              KeyBox{HotKeyBox::Switch, &SwitchKeyEdit, &SwitchKeyCode},
                              KeyBox{HotKeyBox::Sound, &SoundKeyEdit, &SoundKeyCode}}) {
        if (box.Edit->GetSafeHwnd() == focus)
            return box;
    }
    return std::nullopt;
}

BOOL CSettingDlg::PreTranslateMessage(MSG* msg) {
    HWND wnd = GetSafeHwnd();
    const bool systemKey = msg->message == WM_SYSKEYDOWN;
    if (!wnd || (msg->message != WM_KEYDOWN && !systemKey))
        return CDialog::PreTranslateMessage(msg);
    const int key = static_cast<int>(msg->wParam);
    const bool ours = msg->hwnd == wnd || ::IsChild(wnd, msg->hwnd);
    if (!ours || !IsCapturedKeyMessage(systemKey, key))
        return CDialog::PreTranslateMessage(msg);
    if (IsSwallowedKey(key))
        return TRUE;

    const std::optional<KeyBox> box = FocusedBox();
    if (!box)
        return CDialog::PreTranslateMessage(msg);
    const CapturedKey captured = CaptureKey(box->Box, key, HeldModifierMask(), *box->KeyCode);
    *box->KeyCode = captured.KeyCode;
    box->Edit->SetWindowText(captured.Text);
    // The caret goes to the end of the text.
    box->Edit->SendMessage(EM_SETSEL, captured.Text.size(), -1);
    box->Edit->SendMessage(EM_SCROLLCARET);
    return TRUE;
}

void CSettingDlg::SaveBox(const wchar_t* valueName, const std::wstring& text, int keyCode) const {
    const std::optional<StoredHotKey> value = HotKeyToSave(text, keyCode);
    if (!value)
        return;
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return;
    ::WritePrivateProfileStringW(product::IniSection, valueName,
                                 EncodeHotKey(value->Modifiers, value->Key).c_str(), path.c_str());
}

void CSettingDlg::OnOK() {
    const std::wstring boss = BossKeyEdit.GetWindowText();
    const std::wstring switchKey = SwitchKeyEdit.GetWindowText();
    const std::wstring sound = SoundKeyEdit.GetWindowText();
    if (HotKeyTextsConflict(boss, switchKey, sound)) {
        ShowMessageBox(MB_OK, product::Caption, ConflictText, GetSafeHwnd());
        return;
    }
    SaveBox(BossKeyValue, boss, BossKeyCode);
    SaveBox(SwitchKeyValue, switchKey, SwitchKeyCode);
    SaveBox(SoundKeyValue, sound, SoundKeyCode);
    // Posted only now, so every receiver reads what was just written.
    NotifyHotKeysChanged();
    CDialog::OnOK();
}

int CSettingDlg::NotifyHotKeysChanged() {
    std::vector<HWND> listeners;
    ::EnumWindows(CollectListener, reinterpret_cast<LPARAM>(&listeners));
    for (HWND listener : listeners)
        ::PostMessageW(listener, UM_HOTKEYSCHANGED, 0, 0);
    return static_cast<int>(listeners.size());
}

HBRUSH CSettingDlg::OnCtlColor(HWND control) {
    const int id = ::GetDlgCtrlID(control);
    if (id != BossGroupId && id != SwitchGroupId && id != SoundGroupId)
        return nullptr;
    if (!GroupBoxBrush)
        GroupBoxBrush.reset(::CreateSolidBrush(GroupBoxColor));
    return GroupBoxBrush.get();
}

LRESULT CSettingDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = OnCtlColor(reinterpret_cast<HWND>(l)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_DESTROY: {
        const LRESULT result = CDlgEx::WindowProc(msg, w, l);
        // The group boxes are gone with the dialog; so is their brush.
        GroupBoxBrush.reset();
        return result;
    }
    default:
        break;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

} // namespace zarn
