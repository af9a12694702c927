// The cost of calls through the interception engine: a direct call of a small function, a call of its
// trampoline (the original reached through the attach's pointer), and a call of the intercepted
// function (patch, replacement, trampoline). Prints nanoseconds per call, medians of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "intercept/Transaction_win.h"

namespace {

__attribute__((noipa)) int WINAPI Work(int a, int b) {
    volatile int scaled = a * 3;
    return scaled + b;
}
decltype(&Work) RealWork = &Work;
int WINAPI PassOn(int a, int b) {
    return RealWork(a, b);
}

constexpr int Calls = 10'000'000;
constexpr int Runs = 7;

double NsPerCall(decltype(&Work) volatile* fn) {
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> runs;
    for (int r = 0; r < Runs; ++r) {
        int sum = 0;
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < Calls; ++i)
            sum += (*fn)(i, 1);
        ::QueryPerformanceCounter(&end);
        if (sum == 42)
            std::printf(" ");
        runs.push_back(1e9 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / Calls);
    }
    std::sort(runs.begin(), runs.end());
    return runs[Runs / 2];
}

} // namespace

int main() {
    decltype(&Work) volatile direct = &Work;
    const double before = NsPerCall(&direct);
    zarn::intercept::Transaction t;
    t.Begin();
    t.EnlistCurrentThread();
    if (t.Attach(&RealWork, &PassOn) != zarn::intercept::Error::None ||
        t.Commit() != zarn::intercept::Error::None) {
        std::printf("attach failed\n");
        return 1;
    }
    decltype(&Work) volatile trampoline = RealWork;
    const double through = NsPerCall(&trampoline);
    const double intercepted = NsPerCall(&direct);
    std::printf("direct-call %.2f\n", before);
    std::printf("trampoline-call %.2f\n", through);
    std::printf("intercepted-call %.2f\n", intercepted);
    return 0;
}
