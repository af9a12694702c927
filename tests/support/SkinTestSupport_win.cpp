// Helpers for the skinned-window tests.
#include "support/SkinTestSupport_win.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "framework/Handle.h"
#include "support/WinTestSupport_win.h"

namespace zarn::test {

namespace {
struct OwnWindowSearch {
    const std::wstring* Title;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchOwnWindow(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(wnd))
        return TRUE;
    wchar_t text[256] = {};
    ::GetWindowTextW(wnd, text, 256);
    if (*search->Title != text)
        return TRUE;
    search->Found = wnd;
    return FALSE;
}
} // namespace

namespace {
UINT QueueMarker() {
    static const UINT marker = ::RegisterWindowMessageW(L"ZarnTestQueueMarker");
    return marker;
}

// The event of the one wait in progress; hook procedures have no context of their own.
std::atomic<HANDLE> MarkerSeen{nullptr};

LRESULT CALLBACK WatchForMarker(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION && w == PM_REMOVE && reinterpret_cast<const MSG*>(l)->message == QueueMarker()) {
        if (HANDLE seen = MarkerSeen.load())
            ::SetEvent(seen);
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}
} // namespace

bool WaitUntilPostedHandled(HWND wnd, DWORD timeoutMs) {
    static std::mutex oneAtATime;
    std::lock_guard<std::mutex> lock(oneAtATime);
    const DWORD thread = ::GetWindowThreadProcessId(wnd, nullptr);
    UniqueHandle seen(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!thread || !seen)
        return false;
    MarkerSeen = seen.get();
    bool handled = false;
    {
        UniqueHook hook(::SetWindowsHookExW(WH_GETMESSAGE, WatchForMarker, nullptr, thread));
        handled = hook && ::PostMessageW(wnd, QueueMarker(), 0, 0) &&
                  ::WaitForSingleObject(seen.get(), timeoutMs) == WAIT_OBJECT_0;
    }
    MarkerSeen = nullptr;
    return handled;
}

HWND WaitForOwnWindow(const std::wstring& title, DWORD timeoutMs) {
    // Polls often: the tests open many windows in a row.
    const DWORD start = ::GetTickCount();
    for (;;) {
        OwnWindowSearch search{&title};
        ::EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found || ::GetTickCount() - start > timeoutMs)
            return search.Found;
        ::Sleep(2);
    }
}

bool ShownElseCancel(HWND shown, HWND dialog) {
    if (shown)
        return true;
    if (dialog)
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return false;
}

Capture CaptureWindow(HWND wnd) {
    Capture capture;
    RECT r{};
    if (!::GetWindowRect(wnd, &r))
        return capture;
    capture.Width = r.right - r.left;
    capture.Height = r.bottom - r.top;
    WindowDC screen(nullptr);
    UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = capture.Width;
    info.bmiHeader.biHeight = -capture.Height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap dib(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
        return capture;
    {
        SelectGuard select(memory.get(), dib.get());
        ::BitBlt(memory.get(), 0, 0, capture.Width, capture.Height, screen.get(), r.left, r.top, SRCCOPY);
        ::GdiFlush();
    }
    const auto* p = static_cast<const BYTE*>(bits);
    capture.Pixels.resize(static_cast<size_t>(capture.Width) * capture.Height);
    for (size_t i = 0; i < capture.Pixels.size(); ++i)
        capture.Pixels[i] = RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4 + 0]);
    return capture;
}

Capture CaptureWindowSettled(HWND wnd) {
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Wine copies what was painted to the screen from the message loop: keep it running meanwhile.
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 400) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
    return CaptureWindow(wnd);
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    WindowDC screen(nullptr);
    UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    SelectGuard select(memory.get(), bitmap);
    return ::GetPixel(memory.get(), x, y);
}

DWORD GdiObjectCount() {
    if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
    // Wine answers 0 here. Its GDI handles are indices into a per-process table of 64K entries, and a
    // handle value without its upper word names whichever object lives at that index: count those.
    DWORD live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++live;
    }
    return live;
}

std::wstring GalleryFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"ZARN_GALLERY_DIR", folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder) : std::wstring();
}

std::wstring SaveGalleryShot(HWND wnd, const std::wstring& name) {
    const std::wstring folder = GalleryFolder();
    if (folder.empty())
        return L"";
    const Capture c = CaptureWindowSettled(wnd);
    if (c.Width <= 0 || c.Height <= 0)
        return L"";
    const std::wstring path = folder + L"\\" + name + L".bmp";
    FILE* file = ::_wfopen(path.c_str(), L"wb");
    if (!file)
        return L"";
    const int rowBytes = (c.Width * 3 + 3) & ~3;
    BITMAPFILEHEADER fileHeader{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = c.Width;
    header.biHeight = c.Height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(rowBytes * c.Height);
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    std::fwrite(&fileHeader, sizeof(fileHeader), 1, file);
    std::fwrite(&header, sizeof(header), 1, file);
    std::vector<BYTE> row(static_cast<size_t>(rowBytes), 0);
    for (int y = c.Height - 1; y >= 0; --y) {
        for (int x = 0; x < c.Width; ++x) {
            const COLORREF p = c.At(x, y);
            row[x * 3 + 0] = GetBValue(p);
            row[x * 3 + 1] = GetGValue(p);
            row[x * 3 + 2] = GetRValue(p);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    std::fclose(file);
    return path;
}

} // namespace zarn::test
