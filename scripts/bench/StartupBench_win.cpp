// Start-up benchmark: starts a program, waits for its first visible top-level window, and prints the
// time from CreateProcess to that window (median of N runs) and the peak working set at that moment.
//   startupbench.exe <runs> <program> [arguments...]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct WindowSearch {
    DWORD ProcessId = 0;
    bool Found = false;
};

BOOL CALLBACK FindVisibleWindow(HWND wnd, LPARAM l) {
    auto* search = reinterpret_cast<WindowSearch*>(l);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == search->ProcessId && ::IsWindowVisible(wnd)) {
        search->Found = true;
        return FALSE;
    }
    return TRUE;
}

struct Sample {
    double Milliseconds = 0;
    double PeakMegabytes = 0;
};

bool RunOnce(const std::wstring& program, const std::wstring& arguments, Sample& sample) {
    std::wstring commandLine = L"\"" + program + L"\"" + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return false;
    WindowSearch search{pi.dwProcessId, false};
    bool ended = false;
    for (;;) {
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&now);
        if (search.Found)
            break;
        if (::WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if ((now.QuadPart - start.QuadPart) / frequency.QuadPart > 60)
            break;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(pi.hProcess, &memory, sizeof(memory));
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    if (!search.Found || ended)
        return false;
    sample.Milliseconds =
        1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    sample.PeakMegabytes = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: startupbench <runs> <program> [arguments...]\n", stderr);
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::wstring program = argv[2];
    std::wstring arguments;
    for (int i = 3; i < argc; ++i)
        arguments += std::wstring(L" ") + argv[i];

    std::vector<double> times, peaks;
    for (int i = 0; i < runs; ++i) {
        Sample sample;
        if (!RunOnce(program, arguments, sample)) {
            std::fputs("no window appeared\n", stderr);
            return 1;
        }
        times.push_back(sample.Milliseconds);
        peaks.push_back(sample.PeakMegabytes);
    }
    std::printf("%.1f %.1f\n", Median(times), Median(peaks));
    return 0;
}
