// The keyboard hook of the boss and sound keys, and the hot keys it matches: the launcher's own, read
// from the settings, and the actions they run. The test build times each call of the hook.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/ForeignWnd.h"
#include "framework/WinApp.h"
#include "launcher/Plexo3Dlg_win.h"
#include "protocol/ProgramMessages.h"
#include "settings/HotKeyText.h"
#include "settings/SettingDlg_win.h"
#include "testbuild/TestBuild.h"

namespace zarn {
namespace {

ModifierTracker HookModifiers; // the modifiers as the hook's own events left them
HHOOK HookHandle = nullptr;    // for CallNextHookEx; owned by the launcher's UniqueHook
// The test build: how long each call of the hook took, in microseconds.
std::vector<float> HookMicroseconds;

bool PhysicallyDown(int virtualKey) {
    return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// The test build's note of the hook's times: "hook <calls> <median µs> <maximum µs>".
void NoteHookTimes(std::vector<float> times) {
    if (!testbuild::Enabled() || times.empty())
        return;
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    const float median = times[times.size() / 2];
    const float maximum = *std::max_element(times.begin(), times.end());
    wchar_t line[96] = {};
    swprintf(line, 96, L"hook %zu %.2f %.2f", times.size(), static_cast<double>(median),
             static_cast<double>(maximum));
    testbuild::Note(line);
}

} // namespace

// The keyboard hook returns at once: it only decides whether a key-down is the boss or the sound key
// and posts that to the launcher, whose message loop acts on it (the actions talk to windows of other
// processes, which can take long, and a slow hook is silently removed by the system). The modifiers
// are those of the hook's own event stream, so a key that waited in a backlog is matched with the
// modifiers held when it went down, not with those of the moment it is seen.
void CPlexo3Dlg::OnHookedKey(int code, WPARAM w, LPARAM l) {
    if (code != HC_ACTION || !l)
        return;
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
    const bool down = w == WM_KEYDOWN || w == WM_SYSKEYDOWN;
    const bool up = w == WM_KEYUP || w == WM_SYSKEYUP;
    const int vk = static_cast<int>(key->vkCode);
    // The followed modifiers can disagree with the keyboard when an event never reached the hook: they
    // are read again on every modifier event and whenever a key-down finds one the keyboard denies.
    // Inside the hook the physical state is that of the moment before this event.
    if ((down || up) && (ModifierTracker::IsModifier(vk) || (down && HookModifiers.Denied(PhysicallyDown))))
        HookModifiers.Resync(PhysicallyDown);
    if (down && TheLauncher && !TheLauncher->Tabs.Empty()) {
        const int mask = HookModifiers.Mask();
        if (MatchesHotKey(TheLauncher->BossKey, vk, mask))
            ::PostMessageW(TheLauncher->GetSafeHwnd(), CPlexo3Dlg::UM_HOTKEYPRESSED,
                           CPlexo3Dlg::BossKeyAction, 0);
        else if (MatchesHotKey(TheLauncher->SoundKey, vk, mask))
            ::PostMessageW(TheLauncher->GetSafeHwnd(), CPlexo3Dlg::UM_HOTKEYPRESSED,
                           CPlexo3Dlg::SoundKeyAction, 0);
    }
    if (down || up)
        HookModifiers.OnKey(vk, down);
}

LRESULT CALLBACK CPlexo3Dlg::KeyboardHookProc(int code, WPARAM w, LPARAM l) {
    // The test build times each call for the benchmark.
    if (!testbuild::Enabled() || !TheLauncher) {
        OnHookedKey(code, w, l);
        return ::CallNextHookEx(HookHandle, code, w, l);
    }
    LARGE_INTEGER frequency{}, start{}, end{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    OnHookedKey(code, w, l);
    ::QueryPerformanceCounter(&end);
    if (HookMicroseconds.size() < 1000000)
        HookMicroseconds.push_back(
            static_cast<float>(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                               static_cast<double>(frequency.QuadPart)));
    return ::CallNextHookEx(HookHandle, code, w, l);
}

void CPlexo3Dlg::InstallKeyboardHook() {
    HookModifiers.Resync(PhysicallyDown);
    KeyboardHook.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, AfxGetInstanceHandle(), 0));
    HookHandle = KeyboardHook.get();
}

void CPlexo3Dlg::RemoveKeyboardHook() {
    KeyboardHook.reset();
    HookHandle = nullptr;
    NoteHookTimes(std::move(HookMicroseconds));
}

bool CPlexo3Dlg::OnHotKeyPressed(WPARAM action) {
    if (action == BossKeyAction) {
        ToggleLauncherVisible();
        return true;
    }
    if (action == SoundKeyAction) {
        SoundMuted = !SoundMuted; // the next tick sends it and updates the button
        return true;
    }
    return false;
}

LRESULT CPlexo3Dlg::LoadHotKeys() {
    const CSettingDlg settings;
    BossKey = ToHotKey(settings.LoadBossKey());
    SwitchKey = ToHotKey(settings.LoadSwitchKey());
    for (HWND tab : Tabs.TabWindows())
        CForeignWnd(tab).PostMessage(UM_RELOADHOTKEYS, 0, 0);
    if (HallWindow)
        CForeignWnd(HallWindow).PostMessage(UM_RELOADHOTKEYS, 0, 0);
    SoundKey = ToHotKey(settings.LoadSoundKey());
    return 0;
}

} // namespace zarn
