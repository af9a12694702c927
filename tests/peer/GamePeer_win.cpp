// A stand-in for a game-window process, started by the launcher's test build in place of the program
// ("/newgm /<launcher> /<n>" or "/gmhall /<launcher>"). It plays the login and the game frame as far
// as the launcher can see them, and writes every message the launcher sends it to a log for the test.
//
// What it does comes from "<ZARN_TEST_PEER_DIR>\next.txt", which it reads and deletes at start (for
// "/gmhall" the file is "hall.txt", which stays). Lines "key=value":
//   mode=cancel     the login is cancelled: SC_CLOSE/6021 to the launcher, then the end (also without
//                   a file)
//   mode=login      sends title= by WM_COPYDATA; on 0 as cancel, on 1 the frame registers
//   mode=titleonly  sends the title and ends (a login whose process failed before its frame)
//   mode=waiting    sends the title and waits, without a frame, until the launcher's window is gone
//   mode=frameonly  the frame registers without a title
//   log=<name>      the log file in the same folder (default "<pid>.log")
// Like a game frame it passes Ctrl+Tab (the default switch key) on to the launcher, and a click into it
// takes the keyboard focus. Posted WM_APP + 0x50 (wParam milliseconds, 0 for as long as the launcher's
// window exists, 0xFFFFFFFF until the process is ended) stops its thread taking messages, as a hung
// game does.
// The log's lines: "start <command line>", "copydata <reply>", "frame <handle>", "sound <w>",
// "reload", "keydown <vk> <lParam>", "char <code> <lParam>", "click", "forward <vk>", "hang", "awake",
// "close", "gone", "end".
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT UmGameWindowCreated = WM_USER + 2;
constexpr UINT UmSoundState = WM_USER + 5;
constexpr UINT UmReloadHotKeys = WM_USER + 7;
// From a test: the frame's thread stops taking messages for wParam milliseconds (0: until the launcher's
// window is gone; HangUntilEnded: until the process is ended), as a hung game does.
constexpr UINT UmTestHang = WM_APP + 0x50;
constexpr WPARAM HangUntilEnded = 0xFFFFFFFF;

std::wstring Folder;
std::wstring LogPath;
HWND Launcher = nullptr;

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void Log(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    HANDLE file = ::CreateFileW(LogPath.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The control file's value for key, or empty.
std::wstring Value(const std::wstring& control, const std::wstring& key) {
    size_t at = 0;
    while (at < control.size()) {
        size_t end = control.find(L'\n', at);
        if (end == std::wstring::npos)
            end = control.size();
        std::wstring line = control.substr(at, end - at);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.compare(0, key.size() + 1, key + L"=") == 0)
            return line.substr(key.size() + 1);
        at = end + 1;
    }
    return {};
}

std::wstring ReadControl(const std::wstring& path, bool consume) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    if (consume)
        ::DeleteFileW(path.c_str());
    std::wstring text(bytes.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                        static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) == SC_CLOSE) {
            Log(L"close " + std::to_wstring(l));
            ::DestroyWindow(wnd);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        // A click into the game gives it the keyboard, as the game's own control takes it.
        ::SetFocus(wnd);
        Log(L"click");
        return 0;
    case WM_KEYDOWN:
        Log(L"keydown " + std::to_wstring(w) + L" " + std::to_wstring(l));
        return 0;
    case WM_CHAR:
        Log(L"char " + std::to_wstring(w) + L" " + std::to_wstring(l));
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        if (msg == UmSoundState) {
            Log(L"sound " + std::to_wstring(w));
            return 0;
        }
        if (msg == UmReloadHotKeys) {
            Log(L"reload");
            return 0;
        }
        if (msg == UmTestHang) {
            Log(L"hang");
            const DWORD start = ::GetTickCount();
            const auto hung = [&] {
                if (w == HangUntilEnded)
                    return true;
                return (w == 0 || ::GetTickCount() - start < w) && ::IsWindow(Launcher);
            };
            while (hung())
                ::Sleep(50);
            Log(L"awake");
            return 0;
        }
        break;
    }
    return ::DefWindowProcW(wnd, msg, w, l);
}

// Like the game frame: borderless, a tool window, created hidden (hiding a shown window is slow
// without a window manager), announced, made the launcher's child, then placed in its game area.
HWND CreateFrame(bool hall, const std::wstring& title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"ZarnTestPeerFrame";
    ::RegisterClassW(&wc);
    HWND frame = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, title.c_str(), WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    if (!frame)
        return nullptr;
    Log(L"frame " +
        std::to_wstring(static_cast<long long>(static_cast<int32_t>(reinterpret_cast<INT_PTR>(frame)))));
    ::PostMessageW(Launcher, UmGameWindowCreated, reinterpret_cast<WPARAM>(frame), hall ? 1 : 0);
    ::SetParent(frame, Launcher);
    RECT client{};
    ::GetClientRect(Launcher, &client);
    ::MoveWindow(frame, 4, 30, client.right - 8, client.bottom - 34, TRUE);
    ::ShowWindow(frame, SW_SHOW);
    return frame;
}

int Run() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    const std::wstring mode = argv[1];
    const bool hall = mode == L"/gmhall";
    Launcher = reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<int32_t>(_wtoi(argv[2] + 1))));
    ::LocalFree(argv);

    Folder = Env(L"ZARN_TEST_PEER_DIR");
    if (Folder.empty())
        return 3;
    const std::wstring control = ReadControl(Folder + (hall ? L"\\hall.txt" : L"\\next.txt"), !hall);
    std::wstring logName = Value(control, L"log");
    if (logName.empty())
        logName = hall ? L"hall.log" : std::to_wstring(::GetCurrentProcessId()) + L".log";
    LogPath = Folder + L"\\" + logName;
    Log(L"start " + std::wstring(::GetCommandLineW()));

    std::wstring what = hall ? L"frameonly" : Value(control, L"mode");
    if (what.empty())
        what = L"cancel";
    const std::wstring title = Value(control, L"title");
    if (what == L"login" || what == L"titleonly" || what == L"waiting") {
        COPYDATASTRUCT data{};
        data.cbData = static_cast<DWORD>((title.size() + 1) * sizeof(wchar_t));
        data.lpData = const_cast<wchar_t*>(title.c_str());
        DWORD_PTR reply = 0;
        ::SendMessageTimeoutW(Launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000,
                              &reply);
        Log(L"copydata " + std::to_wstring(reply));
        if (reply == 0)
            what = L"cancel";
        else if (what == L"titleonly") {
            Log(L"end");
            return 0;
        } else if (what == L"waiting") {
            while (::IsWindow(Launcher))
                ::Sleep(100);
            Log(L"end");
            return 0;
        }
    }
    if (what == L"cancel") {
        ::PostMessageW(Launcher, WM_SYSCOMMAND, SC_CLOSE, 6021);
        Log(L"end");
        return 0;
    }
    HWND frame = CreateFrame(hall, title);
    if (!frame)
        return 4;
    // A thread timer, not one of the frame: when the launcher's process dies, its window tree (our
    // frame with it) can go without a WM_DESTROY reaching this thread.
    ::SetTimer(nullptr, 0, 800, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) {
            if (!::IsWindow(Launcher) || !::IsWindow(frame)) {
                Log(L"gone");
                break;
            }
            continue;
        }
        // Like a game frame, the default switch key (Ctrl+Tab) goes on to the launcher.
        const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        if (keyDown && msg.wParam == VK_TAB && (::GetKeyState(VK_CONTROL) & 0x8000) && msg.lParam != 6021) {
            Log(L"forward " + std::to_wstring(msg.wParam));
            ::PostMessageW(Launcher, msg.message, msg.wParam, msg.lParam);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    Log(L"end");
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return Run();
}
