// The skinned message box under Wine with real windows: results of its buttons and of closing it,
// Enter and Esc ignored, its window region, where skin and buttons land on screen, and GDI balance.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "framework/Handle.h"
#include "skin/MessageBox_win.h"
#include "skin/SkinImage_win.h"
#include "support/SkinTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const wchar_t Caption[] = L"SkinBoxTest";

// Shows a box on this thread while `answer` runs on another one with the box's window.
int ShowAndAnswer(UINT type, const wchar_t* text, const std::function<void(HWND)>& answer) {
    int result = -100;
    {
        BackgroundDriver driver([&] {
            HWND box = WaitForOwnWindow(Caption);
            if (box)
                answer(box);
        });
        result = ShowMessageBox(type, Caption, text, nullptr);
    }
    return result;
}

void Click(HWND box, int id) {
    ClickButton(box, id);
}

void PostKey(HWND box, UINT key) {
    ::PostMessageW(box, WM_KEYDOWN, key, 1);
    ::PostMessageW(box, WM_KEYUP, key, 0xC0000001);
}

struct ChildInfo {
    int Count = 0;
    std::wstring Labels;
};

} // namespace

TEST(SkinMessageBox, ButtonsGiveTheSystemResults) {
    EXPECT_EQ(ShowAndAnswer(MB_OK, L"好", [](HWND b) { Click(b, 5000); }), IDOK);
    EXPECT_EQ(ShowAndAnswer(MB_OKCANCEL, L"好", [](HWND b) { Click(b, 5000); }), IDOK);
    EXPECT_EQ(ShowAndAnswer(MB_OKCANCEL, L"好", [](HWND b) { Click(b, 5001); }), IDCANCEL);
    EXPECT_EQ(ShowAndAnswer(MB_YESNO, L"好", [](HWND b) { Click(b, 5000); }), IDYES);
    EXPECT_EQ(ShowAndAnswer(MB_YESNO, L"好", [](HWND b) { Click(b, 5001); }), IDNO);
}

TEST(SkinMessageBox, ClosingFromTheTitleBarIsCancelEvenForYesNo) {
    for (UINT type : {MB_OK, MB_OKCANCEL, MB_YESNO}) {
        // The title bar's close button (id 50000), as a click would send it.
        EXPECT_EQ(ShowAndAnswer(type, L"关闭", [](HWND b) { Click(b, 50000); }), IDCANCEL) << type;
        // The system close command (Alt+F4).
        EXPECT_EQ(ShowAndAnswer(type, L"关闭", [](HWND b) { ::PostMessageW(b, WM_SYSCOMMAND, SC_CLOSE, 0); }),
                  IDCANCEL)
            << type;
    }
}

TEST(SkinMessageBox, EnterAndEscDoNothing) {
    for (UINT type : {MB_OK, MB_YESNO}) {
        std::atomic<bool> stillOpen{false};
        const int result = ShowAndAnswer(type, L"键", [&](HWND b) {
            PostKey(b, VK_RETURN);
            PostKey(b, VK_ESCAPE);
            ::PostMessageW(b, WM_COMMAND, IDOK, 0);
            ::PostMessageW(b, WM_COMMAND, IDCANCEL, 0);
            stillOpen = WaitUntilPostedHandled(b) && ::IsWindowVisible(b) != FALSE;
            Click(b, 5001);
            Click(b, 5000);
        });
        EXPECT_TRUE(stillOpen) << type;
        EXPECT_EQ(result, type == MB_YESNO ? IDNO : IDOK) << type;
    }
}

TEST(SkinMessageBox, OtherTypesShowOneOkButton) {
    for (UINT type : {2u, 3u, 0x40u}) {
        bool hasFirst = false, hasSecond = true;
        std::wstring label;
        const int result = ShowAndAnswer(type, L"单个按钮", [&](HWND b) {
            HWND first = ::GetDlgItem(b, 5000);
            hasFirst = first && ::IsWindowVisible(first);
            hasSecond = ::GetDlgItem(b, 5001) != nullptr;
            wchar_t text[16] = {};
            ::GetWindowTextW(first, text, 16);
            label = text;
            Click(b, 5000);
        });
        EXPECT_EQ(result, IDOK) << type;
        EXPECT_TRUE(hasFirst);
        EXPECT_FALSE(hasSecond);
        EXPECT_EQ(label, L"确定");
    }
}

TEST(SkinMessageBox, BodyTextIsReadableAsAStaticText) {
    std::wstring body;
    ShowAndAnswer(MB_OK, L"第一行\n第二行", [&](HWND b) {
        body = StaticTexts(b);
        Click(b, 5000);
    });
    EXPECT_EQ(body, L"第一行\n第二行");
}

TEST(SkinMessageBox, SizeRegionAndCentring) {
    RECT rect{}, client{};
    int regionType = ERROR;
    bool cornerCut = false, insideKept = false;
    RECT first{}, second{};
    ShowAndAnswer(MB_YESNO, L"当前窗体只支持3个游戏页", [&](HWND b) {
        ::GetWindowRect(b, &rect);
        ::GetClientRect(b, &client);
        UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
        regionType = ::GetWindowRgn(b, region.get());
        cornerCut = !::PtInRegion(region.get(), 0, 0);
        insideKept = ::PtInRegion(region.get(), 10, 10) != FALSE;
        ::GetWindowRect(::GetDlgItem(b, 5000), &first);
        ::GetWindowRect(::GetDlgItem(b, 5001), &second);
        Click(b, 5000);
    });
    EXPECT_NE(regionType, ERROR);
    EXPECT_TRUE(cornerCut) << "the skin's rounded corner is not cut from the window";
    EXPECT_TRUE(insideKept);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // Frameless: the client area is the window.
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    EXPECT_GE(width, 174);
    // Centred on the work area (no owner).
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((rect.left + rect.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (work.top + work.bottom) / 2, 1);
    // Buttons 57 x 23, 20 pixels apart around the middle, 30 pixels above the bottom.
    EXPECT_EQ(first.right - first.left, 57);
    EXPECT_EQ(first.bottom - first.top, 23);
    EXPECT_EQ(second.left - first.right, 20);
    EXPECT_EQ(rect.bottom - first.bottom, 30);
    EXPECT_EQ(first.right - rect.left, width / 2 - 10);
}

TEST(SkinMessageBox, SkinAndButtonFramesLandWhereTheyBelong) {
    HBITMAP skin = LoadSkinImage(::GetModuleHandleW(nullptr), 131);
    HBITMAP close = LoadSkinImage(::GetModuleHandleW(nullptr), 132);
    HBITMAP push = LoadSkinImage(::GetModuleHandleW(nullptr), 133);
    UniqueBitmap own1(skin), own2(close), own3(push);
    ASSERT_TRUE(skin && close && push);
    Capture shot;
    RECT first{}, rect{};
    ShowAndAnswer(MB_OKCANCEL, L"像素检查：第一行比较长的一行文字\n第二行", [&](HWND b) {
        ::SetCursorPos(0, 0); // away from the buttons: normal frames
        shot = CaptureWindowSettled(b);
        ::GetWindowRect(b, &rect);
        ::GetWindowRect(::GetDlgItem(b, 5000), &first);
        Click(b, 5000);
    });
    ASSERT_GT(shot.Width, 100);
    const int w = shot.Width, h = shot.Height;
    int compared = 0, mismatched = 0;
    const auto expectSame = [&](int wx, int wy, COLORREF want, const char* what) {
        if (want == SkinKeyColor)
            return; // transparent there: whatever lies behind
        ++compared;
        if (shot.At(wx, wy) != want) {
            if (++mismatched < 6)
                ADD_FAILURE() << what << " at (" << wx << "," << wy << "): screen " << std::hex
                              << shot.At(wx, wy) << " skin " << want;
        }
    };
    // Corners of the nine-slice skin (frame 4, title 30), away from the close button on the right.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 4; ++x)
            expectSame(x, y, BitmapPixel(skin, x, y), "top-left");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            expectSame(x, h - 4 + y, BitmapPixel(skin, x, 47 + y), "bottom-left");
            expectSame(w - 4 + x, h - 4 + y, BitmapPixel(skin, 26 + x, 47 + y), "bottom-right");
        }
    // The close button: frame 0 of strip 132 at the top right corner.
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 33; ++x)
            expectSame(w - 33 + x, y, BitmapPixel(close, x, y), "close button");
    // Button 5000: frame 0 of strip 133 (label pixels excluded: the middle rows).
    const int bx = first.left - rect.left, by = first.top - rect.top;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 57; ++x)
            if (y < 4 || y > 18 || x < 12 || x > 44)
                expectSame(bx + x, by + y, BitmapPixel(push, x, y), "button 5000");
    EXPECT_GT(compared, 800);
    EXPECT_EQ(mismatched, 0) << "of " << compared;
}

namespace {

// Without a window manager, Wine waits up to two seconds for every closed top-level window it lets a
// manager handle. The count runs in a copy of this executable for which Wine manages no windows.
const wchar_t GdiChildVariable[] = L"ZARN_GDI_BOXES_CHILD";

bool RunningAsGdiChild() {
    return ::GetEnvironmentVariableW(GdiChildVariable, nullptr, 0) > 0;
}

void CountManyBoxes() {
    // Warm up: the first boxes load fonts and fill the system's caches of window DCs and their regions.
    for (int i = 0; i < 100; ++i)
        ShowAndAnswer(MB_OKCANCEL, L"预热", [](HWND b) { Click(b, 5001); });
    const DWORD before = GdiObjectCount();
    const DWORD start = ::GetTickCount();
    int shown = 0;
    // A fixed number, however long they take on a busy machine: each is created, painted and closed.
    while (shown < 200) {
        ShowAndAnswer(shown % 2 ? MB_YESNO : MB_OK, L"第一行\n第二行", [](HWND b) {
            ::UpdateWindow(b);
            Click(b, 5000);
        });
        ++shown;
    }
    const DWORD after = GdiObjectCount();
    std::printf("message boxes: %d shown and closed in %lu ms; GDI objects %lu -> %lu\n", shown,
                static_cast<unsigned long>(::GetTickCount() - start), static_cast<unsigned long>(before),
                static_cast<unsigned long>(after));
    EXPECT_GT(before, 0u) << "GDI objects cannot be counted";
    // The system's caches of DCs and regions drift by a few objects over a run; an object lost by
    // every box, or even by one box in ten, would show as far more than this allowance.
    EXPECT_LE(after, before + 8 + static_cast<DWORD>(shown) / 32) << "GDI objects leak";
}

} // namespace

TEST(SkinMessageBox, ManyBoxesLeaveTheGdiObjectCountAsItWas) {
    if (RunningAsGdiChild()) {
        CountManyBoxes();
        return;
    }
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring copy = self;
    copy = copy.substr(0, copy.find_last_of(L'\\') + 1) + L"zarn_gdiboxes.exe";
    ASSERT_TRUE(::CopyFileW(self, copy.c_str(), FALSE));
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER,
                                L"Software\\Wine\\AppDefaults\\zarn_gdiboxes.exe\\X11 Driver", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    UniqueHKey owned(key);
    ::RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
    ::SetEnvironmentVariableW(GdiChildVariable, L"1");
    Program child =
        StartProgram(copy, L"--gtest_filter=SkinMessageBox.ManyBoxesLeaveTheGdiObjectCountAsItWas");
    ::SetEnvironmentVariableW(GdiChildVariable, nullptr);
    ASSERT_TRUE(child.Process);
    DWORD code = 1;
    const bool ended = WaitForExit(child, 120000, &code);
    Kill(child);
    ASSERT_TRUE(ended);
    EXPECT_EQ(code, 0u) << "the count failed (its output is above)";
}

TEST(SkinMessageBox, RealMouseOnTheCloseButtonHoversAndCancels) {
    UniqueBitmap close(LoadSkinImage(::GetModuleHandleW(nullptr), 132));
    ASSERT_TRUE(close);
    int compared = 0, mismatched = 0;
    const int result = ShowAndAnswer(MB_YESNO, L"鼠标", [&](HWND b) {
        HWND closeButton = ::GetDlgItem(b, 50000);
        RECT r{};
        ::GetWindowRect(closeButton, &r);
        // Windows of earlier tests may still be closing over the screen's centre: wait until the real
        // mouse would reach our close button.
        ::SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        const POINT target{r.left + 16, r.top + 14};
        for (int i = 0; i < 100 && ::WindowFromPoint(target) != closeButton; ++i)
            ::Sleep(50);
        // An absolute move through the input queue as well: Wine ignores SetCursorPos while the
        // process is not the foreground one (as in a fresh prefix).
        INPUT to{};
        to.type = INPUT_MOUSE;
        to.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        to.mi.dx = static_cast<LONG>((target.x * 65535LL) / (::GetSystemMetrics(SM_CXSCREEN) - 1));
        to.mi.dy = static_cast<LONG>((target.y * 65535LL) / (::GetSystemMetrics(SM_CYSCREEN) - 1));
        ::SendInput(1, &to, sizeof(INPUT));
        ::SetCursorPos(target.x, target.y);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        move.mi.dx = 1;
        ::SendInput(1, &move, sizeof(INPUT)); // a real move starts hover tracking
        RECT w{};
        ::GetWindowRect(b, &w);
        // The hover frame (1) of the strip, away from the cursor's own pixels; the move reaches the
        // button through the input queue, so look until the frame shows (at most 5 s).
        for (int attempt = 0; attempt < 100; ++attempt) {
            const Capture shot = CaptureWindow(b);
            compared = mismatched = 0;
            for (int y = 0; y < 28; ++y)
                for (int x = 0; x < 33; ++x) {
                    const COLORREF want = BitmapPixel(close.get(), 33 + x, y);
                    if (want == SkinKeyColor || (x > 10 && x < 30 && y > 8 && y < 28))
                        continue;
                    ++compared;
                    if (shot.At(r.left - w.left + x, r.top - w.top + y) != want)
                        ++mismatched;
                }
            if (mismatched == 0)
                break;
            ::Sleep(50);
        }
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, click, sizeof(INPUT));
        // Should the click not arrive, end the box with "否" so that the test fails instead of hanging.
        for (int i = 0; i < 100 && ::IsWindow(b); ++i)
            ::Sleep(50);
        if (::IsWindow(b))
            Click(b, 5001);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_GT(compared, 100);
    EXPECT_EQ(mismatched, 0) << "of " << compared << ": the close button does not show its hover frame";
}

TEST(SkinMessageBox, CentresOverItsOwnerAndDisablesItMeanwhile) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 120, 500, 300, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    RECT box{};
    bool ownerEnabled = true;
    HWND boxOwner = nullptr;
    // A child of the owner as parent: the box is owned by the top-level window.
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, owner, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    int result = 0;
    {
        BackgroundDriver driver([&] {
            HWND b = WaitForOwnWindow(Caption);
            if (!b)
                return;
            ::GetWindowRect(b, &box);
            ownerEnabled = ::IsWindowEnabled(owner) != FALSE;
            boxOwner = ::GetWindow(b, GW_OWNER);
            Click(b, 5000);
        });
        result = ShowMessageBox(MB_OK, Caption, L"居中于所有者窗口之上", child);
    }
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(boxOwner, owner);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_NEAR((box.left + box.right) / 2, 350, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, 270, 1);
    ::DestroyWindow(owner);
}
