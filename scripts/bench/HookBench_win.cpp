// Keyboard-hook benchmark: starts the installed launcher (the test build) with one stand-in tab, so
// that its hook matches every key against the hot keys, injects key events, and ends the launcher,
// which notes how long its hook took per event.
//   hookbench.exe <events> <peer folder> <launcher path>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT UmTrayMenu = WM_USER + 3;

bool FileHas(const std::wstring& path, const char* text) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[8192] = {};
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, read).find(text) != std::string::npos;
}

void WriteControl(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const char text[] = "mode=login\ntitle=s1-1-bench\nlog=bench.log\n";
    DWORD written = 0;
    ::WriteFile(file, text, sizeof(text) - 1, &written, nullptr);
    ::CloseHandle(file);
}

struct Search {
    DWORD Pid;
    const wchar_t* Class;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<Search*>(l);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    wchar_t name[32] = {};
    ::GetClassNameW(w, name, 32);
    if (owner != s->Pid || !::IsWindowVisible(w) || std::wstring(name) != s->Class)
        return TRUE;
    s->Found = w;
    return FALSE;
}

HWND WindowOf(DWORD pid, const wchar_t* className) {
    Search search{pid, className, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

template <typename Pred> bool WaitUntil(Pred pred, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    const int events = _wtoi(argv[1]);
    const std::wstring peers = argv[2];
    WriteControl(peers + L"\\next.txt");
    std::wstring command = L"\"" + std::wstring(argv[3]) + L"\" /ZarnD";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(argv[3], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 3;
    if (!WaitUntil([&] { return FileHas(peers + L"\\bench.log", "sound "); }, 60000)) {
        std::fprintf(stderr, "no tab registered\n");
        ::TerminateProcess(pi.hProcess, 1);
        return 4;
    }
    // Key-down and key-up of F13, a key nothing else uses, in bursts the launcher works off between.
    INPUT batch[100] = {};
    for (int i = 0; i < 100; ++i) {
        batch[i].type = INPUT_KEYBOARD;
        batch[i].ki.wVk = VK_F13;
        batch[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
    }
    for (int sent = 0; sent < events; sent += 100) {
        ::SendInput(100, batch, sizeof(INPUT));
        ::Sleep(10);
    }
    ::Sleep(500);
    const HWND launcher = WindowOf(pi.dwProcessId, L"#32770");
    ::PostMessageW(launcher, UmTrayMenu, 0, 0);
    if (WaitUntil([&] { return WindowOf(pi.dwProcessId, L"#32768") != nullptr; }, 10000)) {
        ::PostMessageW(launcher, WM_KEYDOWN, VK_UP, 1);
        ::PostMessageW(launcher, WM_KEYDOWN, VK_RETURN, 1);
    }
    if (::WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return 0;
}
