// The program's own file, folders and run mode.
#include "app/Program_win.h"

#include <shlobj.h>
#include <stdlib.h>

#include <vector>

#include "base/Product.h"
#include "framework/Handle.h"
#include "update/Md5.h"

namespace zarn {
namespace {

// The MD5 of an open file from its start, as hex; empty when a read fails.
std::string Md5OfOpenFile(HANDLE file) {
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return {};
    Md5 digest;
    std::vector<char> piece(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return {};
        if (got == 0)
            return DigestHex(digest.Final());
        digest.Update(piece.data(), got);
    }
}

} // namespace

HWND LauncherWnd = nullptr;
int32_t GameWindowOrdinal = 0;

int32_t WindowHandleValue(HWND wnd) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(wnd));
}

HWND WindowFromHandleValue(int32_t value) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(value));
}

HWND LauncherWindow() {
    const int32_t value = WindowHandleValue(LauncherWnd);
    if (IsSpecialWindowValue(value) || LauncherWnd == ::GetDesktopWindow() || !::IsWindow(LauncherWnd))
        return nullptr;
    return LauncherWnd;
}

bool PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND launcher = LauncherWindow();
    return launcher && ::PostMessageW(launcher, message, wParam, lParam);
}

RunMode GetRunMode() {
    std::vector<std::wstring> args;
    for (int i = 1; i < __argc && __wargv; ++i)
        args.emplace_back(__wargv[i] ? __wargv[i] : L"");
    const RunModeChoice choice = ChooseRunMode(args, InstallFolder(), ProgramPath());
    LauncherWnd = WindowFromHandleValue(choice.LauncherWnd);
    GameWindowOrdinal = choice.GameWindowOrdinal;
    return choice.Mode;
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring PathBesideProgram(const wchar_t* fileName) {
    const std::wstring own = ProgramPath();
    const size_t slash = own.rfind(L'\\');
    if (slash == std::wstring::npos)
        return {};
    if (!fileName)
        return own;
    return own.substr(0, slash + 1) + fileName;
}

std::wstring CommonAppDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)))
        return {};
    return folder;
}

std::wstring InstallFolder() {
    return CommonAppDataFolder() + product::InstallSubFolder;
}

bool StartProcess(const wchar_t* application, std::wstring commandLine, WORD show, DWORD flags,
                  StartedProcess& started) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                          &si, &pi))
        return false;
    started.Process.reset(pi.hProcess);
    started.Thread.reset(pi.hThread);
    return true;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

bool LaunchProgram(const wchar_t* executable, StartedProcess* started) {
    const std::wstring path = executable ? std::wstring(executable) : ProgramPath();
    // The path is named as the program and quoted on the command line: an unquoted path with spaces
    // would let CreateProcess start "C:\Program.exe" for "C:\Program Files\...".
    StartedProcess own;
    return StartProcess(path.c_str(), L"\"" + path + L"\"", SW_SHOWNORMAL, IDLE_PRIORITY_CLASS,
                        started ? *started : own);
}

// Reading is shared, so the system can still open the file to start it; writing and deleting (and
// so renaming another file over it) are not, while the handle lives.
bool LaunchDownloadedProgram(const std::wstring& path, const std::string& md5Hex, StartedProcess& started) {
    const UniqueFile pinned(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!pinned || md5Hex.empty() || Md5OfOpenFile(pinned.get()) != md5Hex)
        return false;
    return LaunchProgram(path.c_str(), &started);
}

} // namespace zarn
