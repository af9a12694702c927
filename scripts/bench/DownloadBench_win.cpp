// Prints the seconds the progress dialog's download (its pieces, progress reports, 2xx and length
// checks) takes for a URL, and for comparison a plain WinINet read in 64 KiB pieces.
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "framework/Handle.h"
#include "update/ProgramDownload_win.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    const std::wstring url = argv[1], target = argv[2];
    unsigned reports = 0;
    auto start = std::chrono::steady_clock::now();
    zarn::ProgramDownload download(url, target, L"", [&reports](unsigned) { ++reports; });
    const bool ok = download.Run();
    std::printf("dialog-download %.4f ok=%d progress-reports=%u\n", Seconds(start), ok ? 1 : 0, reports);

    start = std::chrono::steady_clock::now();
    zarn::UniqueInternet net(::InternetOpenW(L"ZUD", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    zarn::UniqueInternet request(
        net ? ::InternetOpenUrlW(net.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr);
    static char piece[65536];
    DWORD got = 0;
    unsigned long long total = 0;
    {
        zarn::UniqueFile file(
            ::CreateFileW((target + L".big").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        while (request && file && ::InternetReadFile(request.get(), piece, sizeof(piece), &got) && got > 0) {
            DWORD written = 0;
            ::WriteFile(file.get(), piece, got, &written, nullptr);
            total += got;
        }
    }
    ::DeleteFileW((target + L".big").c_str());
    std::printf("wininet-64k %.4f bytes=%llu\n", Seconds(start), total);
    return ok ? 0 : 1;
}
