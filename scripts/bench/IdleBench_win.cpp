// Idle cost of a window: starts a program, waits for its first visible window, optionally gives a
// launcher three stand-in tabs, then measures the process's CPU time and working set over a period.
//   idlebench.exe <seconds> <program> [arguments]                 a plain window
//   idlebench.exe <seconds> --launcher <peer folder> <program>      a launcher with three tabs
// Prints "cpu <percent of one core> ws <MB> peak <MB>" (under Wine the CPU figure of another process
// reads 0: scripts/bench/launcher-idle.sh takes it from the Linux side).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD Pid = 0;
    HWND Found = nullptr;
};

BOOL CALLBACK Visible(HWND wnd, LPARAM l) {
    auto* s = reinterpret_cast<Search*>(l);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid != s->Pid || !::IsWindowVisible(wnd)) return TRUE;
    s->Found = wnd;
    return FALSE;
}

HWND WaitForWindow(DWORD pid) {
    for (int i = 0; i < 600; ++i) {
        Search s{pid, nullptr};
        ::EnumWindows(Visible, reinterpret_cast<LPARAM>(&s));
        if (s.Found) return s.Found;
        ::Sleep(50);
    }
    return nullptr;
}

// Answers "是" in the launcher's another-account drop-down (a new tab in this window); false when the
// drop-down does not show.
bool AddTab(HWND launcher, DWORD pid) {
    ::PostMessageW(launcher, WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0);
    for (int i = 0; i < 200; ++i) {
        for (HWND w = ::FindWindowExW(nullptr, nullptr, nullptr, L"登录其他账号"); w;
             w = ::FindWindowExW(nullptr, w, nullptr, L"登录其他账号")) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == pid && ::IsWindowVisible(w))
                return ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) != FALSE;
        }
        ::Sleep(50);
    }
    return false;
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    ::CloseHandle(f);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The next stand-in logs in as account n; true once its frame has registered and had its first sound
// state (its log says so): the launcher is then done with it, and a drop-down opened now stays open.
bool WaitForFrame(const std::wstring& folder, int n) {
    const std::wstring log = folder + L"\\idle" + std::to_wstring(n) + L".log";
    for (int i = 0; i < 600; ++i) {
        HANDLE f = ::CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            char buffer[4096] = {};
            DWORD read = 0;
            ::ReadFile(f, buffer, sizeof(buffer) - 1, &read, nullptr);
            ::CloseHandle(f);
            if (std::string(buffer).find("\nsound ") != std::string::npos) return true;
        }
        ::Sleep(50);
    }
    return false;
}

void SetNext(const std::wstring& folder, int n) {
    WriteFileText(folder + L"\\next.txt", "mode=login\ntitle=s1\xe6\x9c\x8d-1-idle" + std::to_string(n) +
                                              "\nlog=idle" + std::to_string(n) + ".log\n");
}

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const int seconds = _wtoi(argv[1]);
    int at = 2;
    std::wstring peers;
    if (std::wstring(argv[at]) == L"--launcher") {
        peers = argv[at + 1];
        at += 2;
        SetNext(peers, 0);
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[at]) + L"\"";
    for (int i = at + 1; i < argc; ++i) commandLine += std::wstring(L" ") + argv[i];
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 3;
    HWND window = WaitForWindow(pi.dwProcessId);
    if (!window) return 4;
    if (!peers.empty()) {
        if (!WaitForFrame(peers, 0)) return 5;
        for (int n = 1; n < 3; ++n) {
            SetNext(peers, n);
            if (!AddTab(window, pi.dwProcessId) || !WaitForFrame(peers, n)) return 5;
        }
    }
    ::Sleep(2000); // let the start-up settle before the idle period begins
    const double before = CpuSeconds(pi.hProcess);
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double used = CpuSeconds(pi.hProcess) - before;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(pi.hProcess, &memory, sizeof(memory));
    std::printf("cpu %.3f ws %.1f peak %.1f\n", 100.0 * used / seconds, memory.WorkingSetSize / 1048576.0,
                memory.PeakWorkingSetSize / 1048576.0);
    ::TerminateProcess(pi.hProcess, 0);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return 0;
}
