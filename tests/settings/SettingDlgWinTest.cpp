// The hot-key settings dialog with real windows: the stored keys shown in the boxes, key capture from
// real key presses (xdotool), OK's writes to "Statistic.ini", the conflict message, Cancel, the
// notification of the launcher windows (only the first ten), the group boxes' one brush, and the
// dialog in the gallery.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/Program_win.h"
#include "framework/Handle.h"
#include "protocol/ProgramMessages.h"
#include "settings/HotKeyCapture.h"
#include "settings/SettingDlg_win.h"
#include "support/HelperProcess_win.h"
#include "support/SkinTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "support/Xdotool_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const wchar_t Title[] = L"设置";
const wchar_t Missing[] = L"<missing>";

std::wstring IniPath() {
    return PathBesideProgram(L"Statistic.ini");
}

std::wstring ReadIni(const wchar_t* name) {
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(L"Zarn", name, Missing, value, 64, IniPath().c_str());
    return value;
}

void WriteIni(const wchar_t* name, const wchar_t* value) {
    ::WritePrivateProfileStringW(L"Zarn", name, value, IniPath().c_str());
}

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[128] = {};
    ::GetWindowTextW(::GetDlgItem(dialog, id), text, 128);
    return text;
}

// What a driver saw; checked on the test's thread (the assertions are not thread-safe here).
struct Observations {
    std::vector<std::wstring> Texts;
    bool InputFailed = false;
    void Note(HWND dialog, int id) { Texts.push_back(TextOf(dialog, id)); }
};

// Runs the dialog modally on this thread while `drive` runs on another thread with its window and
// a watch on this thread's queue. The driver must end the dialog; if no window appears, nothing runs.
INT_PTR RunDialog(CSettingDlg& dialog, const std::function<void(HWND, QueueWatch&)>& drive) {
    const DWORD uiThread = ::GetCurrentThreadId();
    INT_PTR result = -100;
    {
        BackgroundDriver driver([&] {
            HWND wnd = WaitForOwnWindow(Title);
            if (!ShownElseCancel(wnd, dialog.GetSafeHwnd()))
                return;
            QueueWatch watch(uiThread);
            drive(wnd, watch);
        });
        result = dialog.DoModal();
    }
    return result;
}

class SettingDialog : public ::testing::Test {
  protected:
    void SetUp() override { ::DeleteFileW(IniPath().c_str()); }
    void TearDown() override { ::DeleteFileW(IniPath().c_str()); }
};

// Clicks a box with the real mouse (which gives it the focus) and presses keys in it.
class Typist {
  public:
    Typist(HWND dialog, QueueWatch& watch, Observations& seen)
        : dialog_(dialog), watch_(watch), seen_(seen) {}
    // After a failure the rest is skipped (each step would wait in vain).
    void Click(int id) {
        if (!seen_.InputFailed && (!watch_.ok() || !RealClick(watch_, ::GetDlgItem(dialog_, id))))
            seen_.InputFailed = true;
    }
    // Presses the combination and notes the text of box `id` afterwards.
    void Press(const wchar_t* combination, WPARAM lastKey, int id) {
        if (seen_.InputFailed)
            return;
        if (!RealKey(watch_, combination, lastKey))
            seen_.InputFailed = true;
        seen_.Note(dialog_, id);
    }

  private:
    HWND dialog_;
    QueueWatch& watch_;
    Observations& seen_;
};

constexpr int Boss = CSettingDlg::BossKeyEditId, Switch = CSettingDlg::SwitchKeyEditId,
              Sound = CSettingDlg::SoundKeyEditId;

} // namespace

TEST_F(SettingDialog, ReadersNeedNoWindowAndFallBackToTheDefaults) {
    CSettingDlg readers;
    EXPECT_EQ(readers.GetSafeHwnd(), nullptr);
    StoredHotKey key = readers.LoadBossKey();
    EXPECT_EQ(key.Modifiers, 0);
    EXPECT_EQ(key.Key, 121);
    key = readers.LoadSwitchKey();
    EXPECT_EQ(key.Modifiers, 2);
    EXPECT_EQ(key.Key, 9);
    key = readers.LoadSoundKey();
    EXPECT_EQ(key.Modifiers, 2);
    EXPECT_EQ(key.Key, 81);

    WriteIni(L"ShortKey", L"6,65");
    WriteIni(L"AltWndKey", L"1,0");
    key = readers.LoadBossKey();
    EXPECT_EQ(key.Modifiers, 6);
    EXPECT_EQ(key.Key, 65);
    key = readers.LoadSwitchKey();
    EXPECT_EQ(key.Modifiers, 1);
    EXPECT_EQ(key.Key, 0) << "a key switched off stays off";
    key = readers.LoadHotKey(L"NoSuchValue", L"4,70");
    EXPECT_EQ(key.Modifiers, 4);
    EXPECT_EQ(key.Key, 70);

    // A damaged file never loses a key: a malformed value reads as the default.
    for (const wchar_t* damaged : {L"999,999", L"a,b", L"2,", L"3", L"x,81", L"2, 81", L"8,81"}) {
        WriteIni(L"ShortKey", damaged);
        WriteIni(L"SndKey", damaged);
        key = readers.LoadBossKey();
        EXPECT_EQ(key.Modifiers, 0) << damaged;
        EXPECT_EQ(key.Key, 121) << damaged;
        key = readers.LoadSoundKey();
        EXPECT_EQ(key.Modifiers, 2) << damaged;
        EXPECT_EQ(key.Key, 81) << damaged;
    }
    // A value longer than the program reads is not cut into another key (here Ctrl + 8).
    WriteIni(L"AltWndKey", (std::wstring(28, L'0') + L"2,81").c_str());
    key = readers.LoadSwitchKey();
    EXPECT_EQ(key.Modifiers, 2);
    EXPECT_EQ(key.Key, 9);
    EXPECT_EQ(readers.GetSafeHwnd(), nullptr);
}

TEST_F(SettingDialog, ShowsTheStoredKeysAndOkRewritesOnlyCompleteBoxes) {
    WriteIni(L"ShortKey", L"6,65");
    WriteIni(L"AltWndKey", L"1,0");
    WriteIni(L"SndKey", L"2,32"); // Space has no name: the box shows only "Ctrl  +  "
    CSettingDlg dialog;
    Observations seen;
    bool visible = false;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch&) {
        visible = ::IsWindowVisible(wnd) != FALSE;
        for (int id : {Boss, Switch, Sound})
            seen.Note(wnd, id);
        ClickButton(wnd, IDOK);
    });
    EXPECT_TRUE(visible);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seen.Texts.size(), 3u);
    EXPECT_EQ(seen.Texts[0], L"Ctrl  +  Shift  +  A");
    EXPECT_EQ(seen.Texts[1], L"无");
    EXPECT_EQ(seen.Texts[2], L"Ctrl  +  ");
    EXPECT_EQ(dialog.BossKeyCode, 65);
    EXPECT_EQ(dialog.SwitchKeyCode, 0);
    EXPECT_EQ(dialog.SoundKeyCode, 32);
    EXPECT_EQ(ReadIni(L"ShortKey"), L"6,65");
    EXPECT_EQ(ReadIni(L"AltWndKey"), L"0,0") << "无 saves key 0 and no modifiers";
    EXPECT_EQ(ReadIni(L"SndKey"), L"2,32") << "a box ending in a space is not written";
}

TEST_F(SettingDialog, CapturesRealKeyPressesByTheRulesOfEachBox) {
    CSettingDlg dialog;
    Observations seen;
    bool stillOpen = false;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch& watch) {
        Typist typist(wnd, watch, seen);
        typist.Click(Boss);
        typist.Press(L"ctrl", VK_CONTROL, Boss);  // a modifier alone
        typist.Press(L"alt+F10", VK_F10, Boss);   // a system key-down the boxes take
        typist.Press(L"alt+q", 'Q', Boss);        // Alt is captured, Q with it is not
        typist.Press(L"ctrl+Tab", VK_TAB, Boss);  // Tab only in the switch box
        typist.Press(L"Escape", VK_ESCAPE, Boss); // swallowed
        typist.Press(L"Return", VK_RETURN, Boss); // swallowed
        stillOpen = WaitUntilPostedHandled(wnd) && ::IsWindowVisible(wnd);
        typist.Press(L"BackSpace", VK_BACK, Boss);

        typist.Click(Switch);
        typist.Press(L"ctrl+Tab", VK_TAB, Switch);
        typist.Press(L"ctrl+F12", VK_F12, Switch); // neither acceptable nor clearing here
        typist.Press(L"shift+space", VK_SPACE, Switch);
        typist.Press(L"ctrl+Tab", VK_TAB, Switch);

        typist.Click(Sound);
        typist.Press(L"F12", VK_F12, Sound); // clears the sound box
        typist.Press(L"ctrl+shift+a", 'A', Sound);
        ClickButton(wnd, IDOK);
    });
    ASSERT_FALSE(seen.InputFailed) << "xdotool input did not arrive";
    EXPECT_TRUE(stillOpen) << "Esc and Enter do not close the dialog";
    EXPECT_EQ(result, IDOK);
    const std::vector<std::wstring> expected = {
        L"Ctrl  +  ",
        L"Alt  +  F10",
        L"Alt  +  ",
        L"Ctrl  +  ",
        L"Ctrl  +  ",
        L"Ctrl  +  ",
        L"无",
        L"Ctrl  +  Tab",
        L"Ctrl  +  ",
        L"Shift  +  ",
        L"Ctrl  +  Tab",
        L"无",
        L"Ctrl  +  Shift  +  A",
    };
    EXPECT_EQ(seen.Texts, expected);
    EXPECT_EQ(dialog.BossKeyCode, VK_F10) << "clearing keeps the remembered key";
    EXPECT_EQ(ReadIni(L"ShortKey"), L"0,0");
    EXPECT_EQ(ReadIni(L"AltWndKey"), L"2,9");
    EXPECT_EQ(ReadIni(L"SndKey"), L"6,65");
}

TEST_F(SettingDialog, BoxesShowingOnlyModifiersAreSkippedWhileTheOthersSave) {
    WriteIni(L"ShortKey", L"0,120");
    CSettingDlg dialog;
    Observations seen;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch& watch) {
        Typist typist(wnd, watch, seen);
        typist.Click(Boss);
        typist.Press(L"ctrl+Tab", VK_TAB, Boss);
        typist.Click(Sound);
        typist.Press(L"shift", VK_SHIFT, Sound);
        typist.Click(Switch);
        typist.Press(L"ctrl+shift+z", 'Z', Switch);
        ClickButton(wnd, IDOK);
    });
    ASSERT_FALSE(seen.InputFailed) << "xdotool input did not arrive";
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.Texts, (std::vector<std::wstring>{L"Ctrl  +  ", L"Shift  +  ", L"Ctrl  +  Shift  +  Z"}));
    EXPECT_EQ(ReadIni(L"ShortKey"), L"0,120");
    EXPECT_EQ(ReadIni(L"AltWndKey"), L"6,90");
    EXPECT_EQ(ReadIni(L"SndKey"), Missing);
}

TEST_F(SettingDialog, ConflictingBoxesShowTheMessageAndSaveNothing) {
    CSettingDlg dialog;
    Observations seen;
    std::vector<std::wstring> messages;
    bool openAfterMessage = false;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch& watch) {
        Typist typist(wnd, watch, seen);
        const auto okAndAnswer = [&] {
            ClickButton(wnd, IDOK);
            HWND box = WaitForOwnWindow(L"MirelCorvale");
            messages.push_back(box ? StaticTexts(box) : L"<no message>");
            if (box)
                ClickButton(box, 5000);
        };
        typist.Click(Boss);
        typist.Press(L"ctrl+q", 'Q', Boss); // the same as the sound box's Ctrl + Q
        okAndAnswer();
        openAfterMessage = WaitUntilPostedHandled(wnd) && ::IsWindowVisible(wnd);
        typist.Press(L"BackSpace", VK_BACK, Boss);
        typist.Click(Sound);
        typist.Press(L"Delete", VK_DELETE, Sound); // two boxes switched off conflict too
        okAndAnswer();
        ClickButton(wnd, IDCANCEL);
    });
    ASSERT_FALSE(seen.InputFailed) << "xdotool input did not arrive";
    EXPECT_EQ(seen.Texts, (std::vector<std::wstring>{L"Ctrl  +  Q", L"无", L"无"}));
    const std::wstring text = L"热键冲突，请重新设置不同热键值";
    EXPECT_EQ(messages, (std::vector<std::wstring>{text, text}));
    EXPECT_TRUE(openAfterMessage);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(::GetFileAttributesW(IniPath().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
}

TEST_F(SettingDialog, CancelAndTheCloseButtonWriteNothing) {
    for (int button : {IDCANCEL, static_cast<int>(CDlgEx::CloseButtonId)}) {
        CSettingDlg dialog;
        Observations seen;
        const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch& watch) {
            Typist typist(wnd, watch, seen);
            typist.Click(Boss);
            typist.Press(L"F7", VK_F7, Boss);
            ClickButton(wnd, button);
        });
        ASSERT_FALSE(seen.InputFailed) << "xdotool input did not arrive";
        EXPECT_EQ(seen.Texts, (std::vector<std::wstring>{L"F7"}));
        EXPECT_EQ(result, IDCANCEL) << button;
        EXPECT_EQ(::GetFileAttributesW(IniPath().c_str()), INVALID_FILE_ATTRIBUTES) << button;
    }
}

namespace {

// Stand-ins for launcher windows: top-level "#32770" windows titled "MirelCorvale" that count the
// reload notices they get and note the boss key stored when each arrived.
struct StandIn {
    HWND Wnd = nullptr;
    int Notices = 0;
    std::wstring StoredBossKey;
};

LRESULT CALLBACK CountNotices(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    if (msg == UM_HOTKEYSCHANGED && w == 0 && l == 0) {
        auto* standIn = reinterpret_cast<StandIn*>(data);
        ++standIn->Notices;
        standIn->StoredBossKey = ReadIni(L"ShortKey");
    }
    return ::DefSubclassProc(wnd, msg, w, l);
}

BOOL CALLBACK CountListeners(HWND wnd, LPARAM param) {
    wchar_t className[64] = {}, text[128] = {};
    ::GetClassNameW(wnd, className, 64);
    ::GetWindowTextW(wnd, text, 128);
    if (IsHotKeyListener(className, text))
        ++*reinterpret_cast<int*>(param);
    return TRUE;
}

int ListenerCount() {
    int count = 0;
    ::EnumWindows(CountListeners, reinterpret_cast<LPARAM>(&count));
    return count;
}

constexpr UINT DoneMarker = WM_APP + 0x3A1;

} // namespace

TEST_F(SettingDialog, OkNotifiesOnlyTheFirstTenLauncherWindowsInZOrder) {
    ASSERT_EQ(ListenerCount(), 0) << "another launcher window is open";
    std::vector<StandIn> standIns(11);
    for (StandIn& standIn : standIns) {
        standIn.Wnd = ::CreateWindowExW(0, L"#32770", L"MirelCorvale", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(standIn.Wnd, nullptr);
        ::SetWindowSubclass(standIn.Wnd, CountNotices, 1, reinterpret_cast<DWORD_PTR>(&standIn));
    }
    // A window of another class or title is never told.
    HWND otherClass = ::CreateWindowExW(0, L"STATIC", L"MirelCorvale", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_EQ(ListenerCount(), 11);

    CSettingDlg dialog;
    Observations seen;
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch& watch) {
        Typist typist(wnd, watch, seen);
        typist.Click(Boss);
        typist.Press(L"F8", VK_F8, Boss);
        ClickButton(wnd, IDOK);
    });
    ASSERT_FALSE(seen.InputFailed) << "xdotool input did not arrive";
    EXPECT_EQ(result, IDOK);
    // Everything posted to this thread before the marker has been handled once the marker arrives.
    HWND marker = standIns[0].Wnd;
    ::PostMessageW(marker, DoneMarker, 0, 0);
    EXPECT_TRUE(PumpUntilMessage(DoneMarker, 10000));

    // The stand-ins in the z-order the walk met them.
    std::vector<const StandIn*> inZOrder;
    for (HWND wnd = ::GetTopWindow(nullptr); wnd; wnd = ::GetWindow(wnd, GW_HWNDNEXT)) {
        for (const StandIn& standIn : standIns) {
            if (standIn.Wnd == wnd)
                inZOrder.push_back(&standIn);
        }
    }
    ASSERT_EQ(inZOrder.size(), 11u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(inZOrder[i]->Notices, 1) << i;
        EXPECT_EQ(inZOrder[i]->StoredBossKey, L"0,119") << "the notice comes after the write";
    }
    EXPECT_EQ(inZOrder[10]->Notices, 0) << "the eleventh is not told";
    for (StandIn& standIn : standIns) {
        ::RemoveWindowSubclass(standIn.Wnd, CountNotices, 1);
        ::DestroyWindow(standIn.Wnd);
    }
    ::DestroyWindow(otherClass);
}

TEST_F(SettingDialog, NotifyHotKeysChangedPostsTheReloadMessage) {
    HWND standIn = ::CreateWindowExW(0, L"#32770", L"MirelCorvale", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(CSettingDlg::NotifyHotKeysChanged(), 1);
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, standIn, UM_HOTKEYSCHANGED, UM_HOTKEYSCHANGED, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    ::DestroyWindow(standIn);
    EXPECT_EQ(CSettingDlg::NotifyHotKeysChanged(), 0);
}

namespace {

// What the group boxes' colour messages answered while the dialog ran.
struct BrushUse {
    HBRUSH First = nullptr;
    bool AlwaysTheSame = true;
    COLORREF Color = 0;
    DWORD ObjectsAfterFirst = 0;
    DWORD ObjectsAfterAll = 0;
    bool OtherControlsDefault = true;
};

HBRUSH AskColor(HWND dialog, UINT msg, HWND control) {
    HDC dc = ::GetDC(control);
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(dialog, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ::ReleaseDC(control, dc);
    return brush;
}

BrushUse UseTheBrush(HWND wnd) {
    BrushUse use;
    use.First = AskColor(wnd, WM_CTLCOLORSTATIC, ::GetDlgItem(wnd, CSettingDlg::BossGroupId));
    use.ObjectsAfterFirst = GdiObjectCount();
    for (int round = 0; round < 200; ++round) {
        for (int id : {CSettingDlg::BossGroupId, CSettingDlg::SwitchGroupId, CSettingDlg::SoundGroupId}) {
            if (AskColor(wnd, WM_CTLCOLORSTATIC, ::GetDlgItem(wnd, id)) != use.First)
                use.AlwaysTheSame = false;
        }
    }
    use.ObjectsAfterAll = GdiObjectCount();
    LOGBRUSH logBrush{};
    if (::GetObjectW(use.First, sizeof(logBrush), &logBrush) == sizeof(logBrush))
        use.Color = logBrush.lbColor;
    for (int id : {Boss, 1006, IDOK}) {
        const UINT msg = id == Boss ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
        if (AskColor(wnd, msg, ::GetDlgItem(wnd, id)) == use.First)
            use.OtherControlsDefault = false;
    }
    return use;
}

} // namespace

TEST_F(SettingDialog, TheGroupBoxesShareOneBrushReleasedWithTheDialog) {
    const auto runOnce = [](BrushUse& use) {
        CSettingDlg dialog;
        return RunDialog(dialog, [&](HWND wnd, QueueWatch&) {
            use = UseTheBrush(wnd);
            ClickButton(wnd, IDCANCEL);
        });
    };
    ::SetCursorPos(0, 0); // no hover repaints while the objects are counted
    BrushUse warmUp;
    ASSERT_EQ(runOnce(warmUp), IDCANCEL); // first-use caches of the system are made here
    const DWORD before = GdiObjectCount();
    BrushUse use;
    ASSERT_EQ(runOnce(use), IDCANCEL);
    const DWORD after = GdiObjectCount();

    ASSERT_NE(use.First, nullptr);
    EXPECT_TRUE(use.AlwaysTheSame);
    EXPECT_EQ(use.Color, RGB(231, 241, 247));
    EXPECT_EQ(use.Color, 0xF7F1E7u);
    // 600 questions: a brush made for each would show as hundreds of objects.
    EXPECT_LT(use.ObjectsAfterAll, use.ObjectsAfterFirst + 50) << "a brush per message";
    EXPECT_TRUE(use.OtherControlsDefault);
    EXPECT_EQ(::GetObjectType(use.First), 0u) << "the brush outlived its dialog";
    // The system's caches of DCs and regions drift by a few objects from one dialog to the next;
    // the brush itself is checked above.
    EXPECT_LE(after, before + 8) << "GDI objects left behind by one dialog";
}

TEST(SkinGallery, ShowsTheSettingsDialog) {
    ::DeleteFileW(IniPath().c_str());
    CSettingDlg dialog;
    Capture shot;
    std::wstring saved = L"-";
    const INT_PTR result = RunDialog(dialog, [&](HWND wnd, QueueWatch&) {
        ::SetWindowPos(wnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        shot = CaptureWindowSettled(wnd);
        if (!GalleryFolder().empty())
            saved = SaveGalleryShot(wnd, L"settings-dialog");
        ClickButton(wnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(saved.empty());
    ASSERT_GT(shot.Width, 0);
    ASSERT_GT(shot.Height, 0);
    std::vector<COLORREF> colours(shot.Pixels);
    std::sort(colours.begin(), colours.end());
    // The group boxes are painted with their own colour (behind their captions).
    EXPECT_TRUE(std::binary_search(colours.begin(), colours.end(), RGB(231, 241, 247)));
    EXPECT_GE(std::unique(colours.begin(), colours.end()) - colours.begin(), 3) << "a flat picture";
}
