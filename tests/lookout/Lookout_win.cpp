// The run script's and the tour's eyes inside Wine: it lists the program's windows and shortcuts,
// finds the controls the tour clicks with the real mouse, and hands the test build's browser commands
// to the pages that cannot load here. It clicks nothing and presses no key itself.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/CodePage.h"
#include "framework/Handle.h"
#include "support/BrowserTestSupport_win.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "testbuild/BrowserTestCommands_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

constexpr DWORD FindTimeoutMs = 30000;

void Write(HANDLE out, const std::wstring& text) {
    const std::string utf8 = ToCodePage(text, CP_UTF8).value_or(std::string());
    DWORD written = 0;
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Print(const std::wstring& text) {
    Write(::GetStdHandle(STD_OUTPUT_HANDLE), text + L"\n");
}

int Fail(const std::wstring& text) {
    Write(::GetStdHandle(STD_ERROR_HANDLE), L"lookout: " + text + L"\n");
    return 1;
}

DWORD PidOf(HWND w) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return pid;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    ::GetClassNameW(w, name, 128);
    return name;
}

std::wstring TitleOf(HWND w) {
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    // Asked with a time limit: a window whose thread is busy must not stop the lookout.
    ::SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500, &copied);
    return text;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The top-level windows of the running Zarn.exe processes (any copy: the one started, the installed
// one, the test build).
std::vector<HWND> ProgramWindows() {
    const std::vector<DWORD> pids = ProcessesNamed(L"Zarn.exe");
    const std::set<DWORD> program(pids.begin(), pids.end());
    std::vector<HWND> windows;
    for (HWND w : TopLevelWindows())
        if (program.count(PidOf(w)))
            windows.push_back(w);
    return windows;
}

// The game frames: children of a launcher window that another process made its own.
std::vector<HWND> GameFrames() {
    std::vector<HWND> frames;
    for (HWND top : ProgramWindows())
        for (HWND w = ::FindWindowExW(top, nullptr, L"ZarnFrame", nullptr); w;
             w = ::FindWindowExW(top, w, L"ZarnFrame", nullptr))
            frames.push_back(w);
    return frames;
}

template <typename Find> HWND WaitForWindow(Find find, DWORD timeoutMs = FindTimeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND found = find())
            return found;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(100);
    }
}

double UnixTime() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;
}

// What a window of the program is, told by its class or by a control only it has.
std::wstring RoleOf(HWND w) {
    const std::wstring cls = ClassOf(w);
    if (cls == L"ZarnFrame")
        return L"game frame";
    if (cls == L"#32768")
        return L"menu";
    if (cls == L"tooltips_class32")
        return L"tooltip";
    if (::FindWindowExW(w, nullptr, L"Shell Embedding", nullptr))
        return L"page dialog";
    const std::pair<int, const wchar_t*> markers[] = {{1002, L"launcher"},
                                                      {5000, L"message box"},
                                                      {1007, L"settings dialog"},
                                                      {1018, L"favourites dialog"},
                                                      {1023, L"another-account drop-down"}};
    for (const auto& [id, role] : markers)
        if (::GetDlgItem(w, id))
            return role;
    if ((::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED) && !::GetWindow(w, GW_CHILD))
        return L"login backdrop";
    return L"window";
}

// One line of the watch log: what a window looks like now.
std::wstring Describe(HWND w, HWND parent) {
    RECT r{};
    ::GetWindowRect(w, &r);
    wchar_t handle[32] = {};
    std::swprintf(handle, 32, L"%08llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)));
    std::wstring line = std::to_wstring(PidOf(w)) + L"\t" + handle + L"\t" + ClassOf(w) + L"\t" + TitleOf(w) +
                        L"\t" + std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top) +
                        L"\t" + (::IsWindowVisible(w) ? L"shown" : L"hidden") + L"\t" + RoleOf(w);
    if (parent)
        line += L"\tchild of " + ClassOf(parent) + L" (process " + std::to_wstring(PidOf(parent)) + L")";
    return line;
}

// Writes a line for each window of the program that appears, changes or goes, until the stop file
// exists: "<unix time>\t<pid>\t<handle>\t<class>\t<title>\t<w>x<h>\tshown|hidden\t<role>[\tchild of ...]",
// and
// "<unix time>\tgone\t<handle>". Input-method windows are left out.
int Watch(const std::wstring& logPath, const std::wstring& stopPath) {
    UniqueFile log(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!log)
        return Fail(L"cannot write " + logPath);
    std::map<HWND, std::wstring> known;
    while (::GetFileAttributesW(stopPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::map<HWND, std::wstring> now;
        for (HWND w : ProgramWindows())
            if (ClassOf(w) != L"IME")
                now[w] = Describe(w, nullptr);
        for (HWND frame : GameFrames())
            now[frame] = Describe(frame, ::GetAncestor(frame, GA_PARENT));
        // A window destroyed while it was being described is left for the next round.
        for (auto it = now.begin(); it != now.end();)
            it = ::IsWindow(it->first) ? std::next(it) : now.erase(it);
        wchar_t stamp[32] = {};
        std::swprintf(stamp, 32, L"%.2f\t", UnixTime());
        for (const auto& [w, line] : now) {
            auto old = known.find(w);
            if (old == known.end() || old->second != line)
                Write(log.get(), stamp + line + L"\n");
        }
        for (const auto& [w, line] : known)
            if (!now.count(w)) {
                wchar_t gone[32] = {};
                std::swprintf(gone, 32, L"gone\t%08llx\n",
                              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)));
                Write(log.get(), std::wstring(stamp) + gone);
            }
        known = std::move(now);
        ::Sleep(200);
    }
    return 0;
}

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

// The shortcuts on the common desktop and in the program's Start-menu folder, one line each:
// "<folder>\<file>: <target> <arguments>".
int Links() {
    if (FAILED(::CoInitialize(nullptr)))
        return Fail(L"COM does not start");
    const std::pair<std::wstring, std::wstring> folders[] = {
        {L"Desktop", Folder(CSIDL_COMMON_DESKTOPDIRECTORY)},
        {L"Start menu\\Mirel登录器", Folder(CSIDL_COMMON_PROGRAMS) + L"\\Mirel登录器"}};
    for (const auto& [name, folder] : folders)
        for (const std::wstring& path : MatchingFiles(folder, L"*.lnk")) {
            const ShortcutInfo link = ReadShortcut(path);
            const std::wstring file = path.substr(path.rfind(L'\\') + 1);
            Print(name + L"\\" + file + L": " +
                  (link.Loaded ? link.Target + L" " + link.Arguments : L"(unreadable)"));
        }
    ::CoUninitialize();
    return 0;
}

// The program's visible top-level window that has a child control with the marker id.
HWND WindowWithControl(int marker) {
    for (HWND w : ProgramWindows())
        if (::IsWindowVisible(w) && ::GetDlgItem(w, marker))
            return w;
    return nullptr;
}

void PrintCentre(const RECT& r) {
    Print(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
}

// Where the tour points the mouse: the screen centre of control `id` of the window found by its
// marker control, or with id 0 that window's rectangle as "x y width height".
int Where(int marker, int id) {
    HWND window = WaitForWindow([&] { return WindowWithControl(marker); });
    if (!window)
        return Fail(L"no window with control " + std::to_wstring(marker));
    RECT r{};
    if (id == 0) {
        ::GetWindowRect(window, &r);
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
              std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
        return 0;
    }
    HWND control = ::GetDlgItem(window, id);
    if (!control || !::GetWindowRect(control, &r))
        return Fail(L"no control " + std::to_wstring(id));
    PrintCentre(r);
    return 0;
}

// The texts of the window found by its marker control (a message box's question).
int Text(int marker) {
    HWND window = WaitForWindow([&] { return WindowWithControl(marker); });
    if (!window)
        return Fail(L"no window with control " + std::to_wstring(marker));
    Print(StaticTexts(window));
    return 0;
}

// A browser command to the page dialog of a login (the test build marks them), or with "wait" none;
// prints its process.
int Page(const std::wstring& verb, const std::wstring& argument) {
    HWND page = WaitForWindow([] {
        for (HWND w : ProgramWindows())
            if (::GetPropW(w, testbuild::PageDialogProperty))
                return w;
        return HWND{};
    });
    if (!page)
        return Fail(L"no login page");
    if (verb != L"wait")
        BrowserCommand(page, verb, argument);
    Print(std::to_wstring(PidOf(page)));
    return 0;
}

// A browser command to the game view of the process, once its frame is a launcher's child.
int Frame(DWORD pid, const std::wstring& verb, const std::wstring& argument) {
    HWND view = WaitForWindow([&] {
        for (HWND frame : GameFrames())
            if (PidOf(frame) == pid)
                return ::FindWindowExW(frame, nullptr, L"ZarnView", nullptr);
        return HWND{};
    });
    if (!view)
        return Fail(L"no game frame of process " + std::to_wstring(pid));
    BrowserCommand(view, verb, argument);
    return 0;
}

// The game frames now: "<pid> shown|hidden", one a line.
int Frames() {
    for (HWND frame : GameFrames())
        Print(std::to_wstring(PidOf(frame)) + (::IsWindowVisible(frame) ? L" shown" : L" hidden"));
    return 0;
}

int Usage() {
    return Fail(L"usage: zarn_lookout watch <log> <stop file> | links | reset | frames\n"
                L"  | page <verb> <argument> | frame <pid> <verb> <argument>\n"
                L"  | where <marker id> <id> | text <marker id>");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const std::wstring command = args.empty() ? L"" : args[0];
    const size_t n = args.size();
    if (command == L"watch" && n == 3)
        return Watch(args[1], args[2]);
    if (command == L"links" && n == 1)
        return Links();
    if (command == L"reset" && n == 1) {
        ResetProgramState();
        return 0;
    }
    if (command == L"frames" && n == 1)
        return Frames();
    if (command == L"page" && n == 3)
        return Page(args[1], args[2]);
    if (command == L"frame" && n == 4)
        return Frame(static_cast<DWORD>(std::wcstoul(args[1].c_str(), nullptr, 10)), args[2], args[3]);
    if (command == L"where" && n == 3)
        return Where(std::wcstol(args[1].c_str(), nullptr, 10), std::wcstol(args[2].c_str(), nullptr, 10));
    if (command == L"text" && n == 2)
        return Text(std::wcstol(args[1].c_str(), nullptr, 10));
    return Usage();
}
