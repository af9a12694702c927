// Helpers for the Windows-side tests.
#include "support/WinTestSupport_win.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <cstdio>

#include "BuildHosts.h"
#include "base/Product.h"
#include "app/Program_win.h"

namespace zarn::test {
namespace {

void DeleteTree(const std::wstring& folder) {
    std::wstring from = folder;
    from.push_back(L'\0'); // SHFileOperation wants a double-NUL-terminated list
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationW(&op);
}

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

} // namespace

std::wstring TestExeFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.rfind(L'\\') + 1);
}

std::wstring ZarnExe() {
    return TestExeFolder() + L"Zarn.exe";
}

std::wstring ZarnTestBuildExe() {
    return TestExeFolder() + L"testbuild\\Zarn.exe";
}

std::wstring TestStateFolder() {
    const std::wstring folder = TestExeFolder() + L"test-state";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring MakeScratchFolder(const std::wstring& name) {
    const std::wstring folder = TestStateFolder() + L"\\" + name;
    DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

Program StartProgram(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    Program program;
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi)) {
        ::CloseHandle(pi.hThread);
        program.Process.reset(pi.hProcess);
        program.Pid = pi.dwProcessId;
    }
    return program;
}

bool WaitForExit(const Program& program, DWORD timeoutMs, DWORD* exitCode) {
    if (!program.Process)
        return true;
    if (::WaitForSingleObject(program.Process.get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        ::GetExitCodeProcess(program.Process.get(), exitCode);
    return true;
}

void Kill(const Program& program) {
    if (program.Process && ::WaitForSingleObject(program.Process.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(program.Process.get(), 99);
        ::WaitForSingleObject(program.Process.get(), 5000);
    }
}

namespace {
struct WindowSearch {
    DWORD Pid;
    const std::wstring* Title;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner != s->Pid || !::IsWindowVisible(wnd))
        return TRUE;
    wchar_t text[256] = {};
    ::GetWindowTextW(wnd, text, 256);
    if (*s->Title != text)
        return TRUE;
    s->Found = wnd;
    return FALSE;
}
} // namespace

HWND WaitForWindow(DWORD pid, const std::wstring& title, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        WindowSearch search{pid, &title, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found || ::GetTickCount() - start > timeoutMs)
            return search.Found;
        ::Sleep(50);
    }
}

std::wstring StaticTexts(HWND window) {
    std::wstring all;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        if (::lstrcmpiW(cls, L"Static") != 0)
            continue;
        wchar_t text[1024] = {};
        ::GetWindowTextW(child, text, 1024);
        if (!*text)
            continue;
        if (!all.empty())
            all += L"\n";
        all += text;
    }
    return all;
}

void ClickButton(HWND window, int id) {
    HWND button = ::GetDlgItem(window, id);
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

std::vector<std::string> PortalLog() {
    std::vector<std::string> lines;
    FILE* file = ::_wfopen((TestStateFolder() + L"\\portal-requests.jsonl").c_str(), L"rb");
    if (!file)
        return lines;
    std::string line;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c != '\n') {
            line.push_back(static_cast<char>(c));
        } else if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
    }
    std::fclose(file);
    return lines;
}

bool PortalControl(const std::wstring& pathAndQuery) {
    UniqueInternet net(::InternetOpenW(L"ZarnTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!net)
        return false;
    const std::wstring url = std::wstring(L"http://") + build::StatsHost + pathAndQuery;
    UniqueInternet request(::InternetOpenUrlW(net.get(), url.c_str(), nullptr, 0,
                                              INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request)
        return false;
    DWORD status = 0, size = sizeof(status);
    ::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    char drain[4096];
    DWORD got = 0;
    while (::InternetReadFile(request.get(), drain, sizeof(drain), &got) && got > 0) {
    }
    return status == 200;
}

void ResetProgramState() {
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, product::RegistryKey);
    DeleteTree(InstallFolder());
    DeleteTree(Folder(CSIDL_COMMON_PROGRAMS) + L"\\Mirel登录器");
    ::DeleteFileW((Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\MirelCorvale极速登录器.lnk").c_str());
    ::DeleteFileW((Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Mirel网页游戏.lnk").c_str());
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
    UniqueHKey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return names;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
            names.push_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

} // namespace zarn::test
