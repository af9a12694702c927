// Start-up benchmark: starts programs, waits for each one's first visible top-level window, and prints
// per program the time from CreateProcess to that window (median of N runs) and the peak working set
// at that moment. The programs take turns run by run, so that a drift of the machine weighs on all alike.
//   startupbench.exe <runs> <program|arguments> ...     one line "ms MB" per program, in order
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
    // The launcher starts a login process of its own; a kill-on-close job takes it down with the run.
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                          nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(job);
        return false;
    }
    ::AssignProcessToJobObject(job, pi.hProcess);
    ::ResumeThread(pi.hThread);
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
    ::TerminateJobObject(job, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(job);
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
        std::fputs("usage: startupbench <runs> <program|arguments> ...\n", stderr);
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    struct Program {
        std::wstring Path, Arguments;
        std::vector<double> Times, Peaks;
    };
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const std::wstring spec = argv[i];
        const size_t bar = spec.find(L'|');
        Program program;
        program.Path = spec.substr(0, bar);
        if (bar != std::wstring::npos)
            program.Arguments = L" " + spec.substr(bar + 1);
        programs.push_back(program);
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) {
            Sample sample;
            if (!RunOnce(program.Path, program.Arguments, sample)) {
                std::fwprintf(stderr, L"%ls: no window appeared\n", program.Path.c_str());
                return 1;
            }
            program.Times.push_back(sample.Milliseconds);
            program.Peaks.push_back(sample.PeakMegabytes);
        }
    }
    for (const Program& program : programs)
        std::printf("%.1f %.1f\n", Median(program.Times), Median(program.Peaks));
    return 0;
}
