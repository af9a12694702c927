// Helpers for the statistics and update tests.
#include "support/NetTestSupport_win.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "base/Product.h"
#include "app/Program_win.h"
#include "support/WinTestSupport_win.h"

namespace zarn::test {
namespace {

// The JSON string value after "key": in a log line (no escapes are needed for our paths and headers).
std::string JsonString(const std::string& line, const std::string& key, size_t from = 0) {
    const std::string marker = "\"" + key + "\": \"";
    const size_t at = line.find(marker, from);
    if (at == std::string::npos)
        return {};
    const size_t start = at + marker.size();
    const size_t end = line.find('"', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

std::wstring InstalledCopy() {
    ::SHCreateDirectoryExW(nullptr, InstallFolder().c_str(), nullptr);
    const std::wstring exe = InstallFolder() + L"\\Zarn.exe";
    WaitUntilWritable(exe);
    ::CopyFileW(ZarnTestBuildExe().c_str(), exe.c_str(), FALSE);
    return exe;
}

bool WaitUntilWritable(const std::wstring& path, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        if (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetTickCount() - start > timeoutMs)
            return ::GetLastError() == ERROR_FILE_NOT_FOUND;
        ::Sleep(100);
    }
}

std::wstring LooseCopy(const std::wstring& scratchName) {
    const std::wstring exe = MakeScratchFolder(scratchName) + L"\\Zarn.exe";
    ::CopyFileW(ZarnTestBuildExe().c_str(), exe.c_str(), FALSE);
    return exe;
}

bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    Program program = StartProgram(exe, arguments);
    if (!program.Process)
        return false;
    const bool ended = WaitForExit(program, timeoutMs);
    Kill(program);
    return ended;
}

std::vector<std::string> LoggedPaths(size_t from, const std::string& prefix) {
    std::vector<std::string> paths;
    const std::vector<std::string> log = PortalLog();
    for (size_t i = from; i < log.size(); ++i) {
        const std::string path = JsonString(log[i], "path");
        if (path.compare(0, prefix.size(), prefix) == 0)
            paths.push_back(path);
    }
    return paths;
}

double LoggedTime(size_t from, const std::string& prefix) {
    const std::vector<std::string> log = PortalLog();
    for (size_t i = from; i < log.size(); ++i) {
        if (JsonString(log[i], "path").compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string marker = "\"time\": ";
        const size_t at = log[i].find(marker);
        return at == std::string::npos ? -1 : std::strtod(log[i].c_str() + at + marker.size(), nullptr);
    }
    return -1;
}

std::string LoggedHeader(size_t from, const std::string& prefix, const std::string& header) {
    const std::vector<std::string> log = PortalLog();
    for (size_t i = from; i < log.size(); ++i) {
        if (JsonString(log[i], "path").compare(0, prefix.size(), prefix) != 0)
            continue;
        const size_t headers = log[i].find("\"headers\"");
        return headers == std::string::npos ? std::string() : JsonString(log[i], header, headers);
    }
    return {};
}

std::wstring StatisticIni() {
    return InstallFolder() + L"\\" + product::StatisticFileName;
}

void WriteStatistic(const wchar_t* key, const std::wstring& value) {
    ::SHCreateDirectoryExW(nullptr, InstallFolder().c_str(), nullptr);
    ::WritePrivateProfileStringW(product::IniSection, key, value.c_str(), StatisticIni().c_str());
}

std::wstring ReadStatistic(const wchar_t* key) {
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(product::IniSection, key, L"", value, 64, StatisticIni().c_str());
    return value;
}

std::wstring LocalDateDaysAgo(int daysAgo) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    t.wHour = 12; // away from midnight, so that whole days stay whole days
    FILETIME ft;
    ::SystemTimeToFileTime(&t, &ft);
    ULARGE_INTEGER v{{ft.dwLowDateTime, ft.dwHighDateTime}};
    v.QuadPart -= static_cast<ULONGLONG>(daysAgo) * 24ull * 3600 * 10000000;
    ft = {v.LowPart, v.HighPart};
    ::FileTimeToSystemTime(&ft, &t);
    return std::to_wstring(t.wYear) + L"/" + std::to_wstring(t.wMonth) + L"/" + std::to_wstring(t.wDay);
}

std::wstring QueryEscape(const std::wstring& text) {
    static const wchar_t Hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (wchar_t c : text) {
        if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
            c == L'-' || c == L'_') {
            out.push_back(c);
        } else if (c < 0x80) {
            out += L'%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else {
            out.push_back(c); // the tests only escape ASCII paths
        }
    }
    return out;
}

} // namespace zarn::test
