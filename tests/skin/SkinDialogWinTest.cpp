// The skinned dialog base and controls with real windows: title-bar buttons (also after a second
// SetSkin), maximise and restore, hit testing, resizing, the static text's growth, the progress bar's
// pixels, hover, GDI balance of repainting and titles, and the gallery (every skinned window shown and
// found painted; with ZARN_GALLERY_DIR set each is saved as a picture too).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "skin/DlgEx_win.h"
#include "skin/ImgProgress_win.h"
#include "skin/MessageBox_win.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage_win.h"
#include "skin/StaticEx_win.h"
#include "support/SkinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

HINSTANCE Resources() {
    return ::GetModuleHandleW(nullptr);
}

void Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CWnd::WalkPreTranslateTree(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}

RECT ChildRect(HWND parent, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(parent, id), &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A launcher-like dialog: skin 134 with all title-bar buttons, and one of each control.
class ShowcaseDialog : public CDlgEx {
  public:
    ~ShowcaseDialog() override { DestroyWindow(); }
    ShowcaseDialog() : CDlgEx(130) {}

    CBtnEx Buttons[5];
    CBtnEx DarkButtons[4];
    CStaticEx Wrapped;
    CStaticEx Link;
    CImgProgress Bars[3];
    std::vector<UniqueBitmap> Strips;

  protected:
    BOOL OnInitDialog() override {
        CDlgEx::OnInitDialog();
        SetSize(640, 380);
        SetFrameLayout(30, 4, 0, 0, 0);
        CaptionWeight = 600;
        Resizable = TRUE;
        SetTitle(L"MirelCorvale 皮肤展示");
        Strips.emplace_back(LoadSkinImage(Resources(), 136));
        Strips.emplace_back(LoadSkinImage(Resources(), 132));
        SetSkin(UniqueBitmap(LoadSkinImage(Resources(), 134)), FALSE, TRUE, Strips[0].get(),
                UniqueBitmap(LoadSkinImage(Resources(), 135)), UniqueBitmap(LoadSkinImage(Resources(), 137)),
                Strips[1].get());

        Strips.emplace_back(LoadSkinImage(Resources(), 133));
        HBITMAP push = Strips.back().get();
        const wchar_t* labels[] = {L"正常", L"悬停", L"按下", L"禁用", L"拉伸"};
        for (int i = 0; i < 5; ++i) {
            const RECT r = i < 4 ? RECT{20 + 70 * i, 50, 77 + 70 * i, 73} : RECT{300, 46, 390, 76};
            Buttons[i].Create(labels[i], WS_VISIBLE, r, GetSafeHwnd(), 1000 + i);
            Buttons[i].SetImage(push, i < 4);
        }
        Buttons[1].Hovered = TRUE;
        Buttons[2].PressedLatch = TRUE;
        ::EnableWindow(Buttons[3], FALSE);
        Buttons[4].SetToolTip(L"任意大小的按钮拉伸同一帧");

        const UINT darkIds[] = {148, 149, 150, 151};
        const POINT darkAt[] = {{420, 48}, {452, 48}, {420, 86}, {510, 86}};
        for (int i = 0; i < 4; ++i) {
            Strips.emplace_back(LoadSkinImage(Resources(), darkIds[i]));
            const RECT r{darkAt[i].x, darkAt[i].y, darkAt[i].x + 10, darkAt[i].y + 10};
            DarkButtons[i].Create(L"", WS_VISIBLE, r, GetSafeHwnd(), 1100 + i);
            DarkButtons[i].SetImage(Strips.back().get(), TRUE);
        }

        Wrapped.Create(L"", WS_VISIBLE, RECT{20, 90, 330, 110}, GetSafeHwnd(), 1200);
        Wrapped.TextColor = RGB(255, 255, 255);
        Wrapped.Text = L"这是一段会自动换行的静态文字：它比控件宽得多，所以会按字符折行，并且控件会向下长高。"
                       L"\r\n回车换行只换一次行。Latin words wrap by characters as well, right at the edge.";
        Strips.emplace_back(LoadSkinImage(Resources(), 142));
        Wrapped.SetImage(Strips.back().get());

        Link.Create(L"", WS_VISIBLE | SS_NOTIFY, RECT{20, 190, 260, 210}, GetSafeHwnd(), 1201);
        Link.Text = L"官方网站（下划线链接样式）";
        Link.Underline = TRUE;
        Link.LinkCursor = TRUE;
        Link.TextColor = RGB(255, 214, 90);

        for (int i = 0; i < 3; ++i) {
            Bars[i].Create(WS_VISIBLE, RECT{20, 230 + 36 * i, 30, 240 + 36 * i}, GetSafeHwnd(), 1300 + i);
            Bars[i].SetImages(UniqueBitmap(LoadSkinImage(Resources(), 152)),
                              UniqueBitmap(LoadSkinImage(Resources(), 153)));
            Bars[i].SetRange32(0, 100);
            Bars[i].SetPos(i * 50);
        }
        return TRUE;
    }
};

class SkinDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        ::SetWindowPos(dialog, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::ShowWindow(dialog, SW_SHOW);
        Pump(200);
    }
    void TearDown() override {
        if (dialog.GetSafeHwnd())
            dialog.DestroyWindow();
    }
    ShowcaseDialog dialog;
};

} // namespace

TEST_F(SkinDialog, TitleButtonsSitRightToLeft) {
    const RECT client = dialog.GetClientRect();
    const RECT close = ChildRect(dialog, 50000);
    const RECT maximize = ChildRect(dialog, 50002);
    const RECT minimize = ChildRect(dialog, 50001);
    EXPECT_EQ(close.right, client.right);
    EXPECT_EQ(close.right - close.left, 33);
    EXPECT_EQ(close.top, 0);
    EXPECT_EQ(maximize.right, close.left);
    EXPECT_EQ(maximize.right - maximize.left, 27);
    EXPECT_EQ(minimize.right, maximize.left);
    EXPECT_EQ(dialog.CloseButton.ToolTipText, L"关闭");
    EXPECT_EQ(dialog.MaximizeButton.ToolTipText, L"最大化");
    EXPECT_EQ(dialog.MinimizeButton.ToolTipText, L"最小化");
}

namespace {
BOOL CALLBACK CountToolTip(HWND wnd, LPARAM data) {
    wchar_t name[64] = {};
    ::GetClassNameW(wnd, name, 64);
    if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0)
        ++*reinterpret_cast<int*>(data);
    return TRUE;
}

// The tooltip windows of this thread.
int CountToolTipWindows() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountToolTip, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The window of the one tool a button's tooltip has; null unless there is exactly one.
HWND ToolOf(CBtnEx& button) {
    HWND tip = button.ToolTip.GetSafeHwnd();
    if (!tip || ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) != 1)
        return nullptr;
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    if (!::SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)))
        return nullptr;
    return info.hwnd;
}

// A mouse message over the button, as the message loop hands it on.
void MouseOver(CBtnEx& button) {
    MSG msg{button.GetSafeHwnd(),
            WM_MOUSEMOVE,
            0,
            MAKELPARAM(2, 2),
            static_cast<DWORD>(::GetMessageTime()),
            {2, 2}};
    button.PreTranslateMessage(&msg);
}
} // namespace

TEST_F(SkinDialog, ATooltipWindowComesWithTheFirstMouseMessageOverItsButton) {
    CBtnEx& close = dialog.CloseButton;
    ASSERT_TRUE(close.HasToolTip);
    EXPECT_EQ(close.ToolTip.GetSafeHwnd(), nullptr);
    const int before = CountToolTipWindows();
    // Another window's message, or a key, makes none.
    MSG key{close.GetSafeHwnd(), WM_KEYDOWN, VK_SPACE, 0, 0, {}};
    close.PreTranslateMessage(&key);
    MSG elsewhere{dialog.GetSafeHwnd(), WM_MOUSEMOVE, 0, 0, 0, {}};
    close.PreTranslateMessage(&elsewhere);
    EXPECT_EQ(CountToolTipWindows(), before);
    MouseOver(close);
    MouseOver(close);
    EXPECT_EQ(CountToolTipWindows(), before + 1);
    EXPECT_EQ(ToolOf(close), close.GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(close.ToolTip.GetSafeHwnd(), TTM_GETDELAYTIME, TTDT_INITIAL, 0), 660);
}

TEST_F(SkinDialog, ASecondSetSkinLaysOutWithTheGapAndKeepsOwnershipAndTooltips) {
    for (CBtnEx* button : {&dialog.CloseButton, &dialog.MaximizeButton, &dialog.MinimizeButton})
        MouseOver(*button);
    const int tooltips = CountToolTipWindows();
    dialog.ButtonGap = 6;
    dialog.ButtonRightMargin = 3;
    UniqueBitmap skinImage(LoadSkinImage(Resources(), 134));
    UniqueBitmap maximize(LoadSkinImage(Resources(), 135));
    UniqueBitmap restore(LoadSkinImage(Resources(), 137));
    UniqueBitmap minimize(LoadSkinImage(Resources(), 136));
    UniqueBitmap close(LoadSkinImage(Resources(), 132));
    const HBITMAP skinHandle = skinImage.get(), maximizeHandle = maximize.get(),
                  restoreHandle = restore.get();
    ASSERT_TRUE(dialog.SetSkin(std::move(skinImage), FALSE, TRUE, minimize.get(), std::move(maximize),
                               std::move(restore), close.get()));
    Pump(50);
    // What the dialog keeps is its own now; what it only reads stays the caller's.
    EXPECT_FALSE(skinImage || maximize || restore);
    EXPECT_EQ(dialog.SkinBitmap.get(), skinHandle);
    EXPECT_EQ(dialog.MaximizeBitmap.get(), maximizeHandle);
    EXPECT_EQ(dialog.RestoreBitmap.get(), restoreHandle);
    EXPECT_EQ(BitmapSize(close.get()).cx, 132);
    EXPECT_EQ(BitmapSize(minimize.get()).cx, 108);

    const RECT client = dialog.GetClientRect();
    const skin::TitleButtonRights rights = skin::LayoutTitleButtons(client.right - 3, 6, 33, 27, 27);
    EXPECT_EQ(ChildRect(dialog, 50000).right, rights.Close);
    EXPECT_EQ(ChildRect(dialog, 50002).right, rights.Maximize);
    EXPECT_EQ(ChildRect(dialog, 50001).right, rights.Minimize);
    EXPECT_EQ(ChildRect(dialog, 50001).right - ChildRect(dialog, 50001).left, 27);

    // The old tooltips are gone with their buttons; each re-created button has its tooltip again, for
    // its new window.
    EXPECT_EQ(CountToolTipWindows(), tooltips - 3);
    for (CBtnEx* button : {&dialog.CloseButton, &dialog.MaximizeButton, &dialog.MinimizeButton}) {
        ASSERT_NE(button->GetSafeHwnd(), nullptr);
        EXPECT_TRUE(button->HasToolTip);
        MouseOver(*button);
        EXPECT_EQ(ToolOf(*button), button->GetSafeHwnd()) << button->ToolTipText.size();
    }
    EXPECT_EQ(dialog.CloseButton.ToolTipText, L"关闭");
    EXPECT_EQ(CountToolTipWindows(), tooltips);
}

TEST_F(SkinDialog, SettingTheProgressImagesAgainKeepsItsRectangles) {
    CImgProgress& bar = dialog.Bars[0];
    const RECT control = bar.ControlRect, fill = bar.FillRect;
    EXPECT_EQ(control.left, 0);
    EXPECT_EQ(control.top, 0);
    EXPECT_GT(control.right, 0);
    EXPECT_GT(fill.right, fill.left);
    bar.SetImages(UniqueBitmap(LoadSkinImage(Resources(), 152)),
                  UniqueBitmap(LoadSkinImage(Resources(), 153)));
    EXPECT_TRUE(::EqualRect(&bar.ControlRect, &control));
    EXPECT_TRUE(::EqualRect(&bar.FillRect, &fill));
    const RECT window = bar.GetWindowRect();
    EXPECT_EQ(window.right - window.left, control.right);
    EXPECT_EQ(window.bottom - window.top, control.bottom);
}

TEST_F(SkinDialog, ResizingRealignsTheButtonsAndRebuildsTheRegion) {
    ::SetWindowPos(dialog, nullptr, 0, 0, 700, 420, SWP_NOMOVE | SWP_NOZORDER);
    Pump(50);
    EXPECT_EQ(ChildRect(dialog, 50000).right, 700);
    EXPECT_EQ(ChildRect(dialog, 50002).right, 667);
    EXPECT_EQ(ChildRect(dialog, 50001).right, 640);
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(dialog, region.get()), ERROR);
    RECT box{};
    ::GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.right, 700);
    EXPECT_EQ(box.bottom, 420);
    EXPECT_FALSE(::PtInRegion(region.get(), 699, 0)); // the rounded corner follows the new size
}

TEST_F(SkinDialog, HitTesting) {
    const RECT w = dialog.GetWindowRect();
    const auto hit = [&](int x, int y) {
        return dialog.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
    };
    EXPECT_EQ(hit(200, 15), HTCAPTION);
    EXPECT_EQ(hit(1, 1), HTTOPLEFT);
    EXPECT_EQ(hit(200, 1), HTTOP);
    EXPECT_EQ(hit(1, 200), HTLEFT);
    EXPECT_EQ(hit(638, 378), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(300, 378), HTBOTTOM);
    EXPECT_EQ(hit(300, 340), HTCLIENT);
}

TEST_F(SkinDialog, MaximiseFillsTheWorkAreaAndRestoreReturnsToTheLastPlace) {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // A drag would have stored the window's place; store it the same way.
    const RECT before = dialog.GetWindowRect();
    dialog.SendMessage(WM_NCLBUTTONDOWN, HTNOWHERE, 0);
    EXPECT_TRUE(::EqualRect(&dialog.RestoreRect, &before));

    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(50002, BN_CLICKED), 0);
    Pump(50);
    const RECT maximized = dialog.GetWindowRect();
    EXPECT_TRUE(::EqualRect(&maximized, &work));
    EXPECT_TRUE(dialog.Maximized);
    EXPECT_EQ(dialog.MaximizeButton.ToolTipText, L"还原");
    EXPECT_EQ(ChildRect(dialog, 50000).right, work.right - work.left);
    // No dragging or resizing while maximised.
    EXPECT_EQ(dialog.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(work.left + 1, work.top + 1)), HTCLIENT);

    // A double click in the title band restores.
    dialog.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 10));
    Pump(50);
    const RECT restored = dialog.GetWindowRect();
    EXPECT_TRUE(::EqualRect(&restored, &before));
    EXPECT_FALSE(dialog.Maximized);
    EXPECT_EQ(dialog.MaximizeButton.ToolTipText, L"最大化");
}

TEST_F(SkinDialog, CloseAndMinimiseButtonsUseTheSystemCommands) {
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(50001, BN_CLICKED), 0);
    Pump(100);
    EXPECT_TRUE(::IsIconic(dialog));
    ::ShowWindow(dialog, SW_RESTORE);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(50000, BN_CLICKED), 0);
    Pump(100);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "SC_CLOSE should end the dialog (IDCANCEL)";
}

TEST_F(SkinDialog, StaticTextGrowsOnceToHoldItsLines) {
    const RECT first = ChildRect(dialog, 1200);
    EXPECT_GT(first.bottom - first.top, 20) << "the long text should have made the control taller";
    dialog.Wrapped.Invalidate(FALSE);
    ::UpdateWindow(dialog.Wrapped);
    Pump(50);
    const RECT second = ChildRect(dialog, 1200);
    EXPECT_EQ(second.bottom, first.bottom) << "a second paint must not grow it again";
    EXPECT_EQ(second.top, 90);
}

TEST_F(SkinDialog, AStaticTextNarrowerThanOneCharacterStillPaints) {
    // Find a width that is at least the sample's average character but narrower than one CJK character.
    UniqueFont font = MakeFont(dialog.GetFont(), SYSTEM_FONT, -12, 0, FALSE, L"微软雅黑");
    RECT sample{};
    int average = 0, character = 0;
    wchar_t wide = 0;
    {
        WindowDC dc(dialog);
        SelectGuard select(dc.get(), font.get());
        ::DrawTextW(dc.get(), L"测试用汉字来获取宽度", 11, &sample, DT_CALCRECT);
        average = (sample.right - sample.left) / 11;
        // Long dashes and ligatures are wider than a CJK character in most fonts.
        for (const wchar_t c : {L'\x2E3B', L'\xFDFD', L'\x2E3A', L'\x2031', L'\x2014', L'W'}) {
            RECT glyph{};
            ::DrawTextW(dc.get(), &c, 1, &glyph, DT_CALCRECT);
            if (glyph.right - glyph.left > average) {
                wide = c;
                character = glyph.right - glyph.left;
                break;
            }
        }
    }
    if (!wide)
        GTEST_SKIP() << "this font has no character wider than its average";
    std::printf("average character %d, wide character U+%04X %d\n", average, static_cast<unsigned>(wide),
                character);
    CStaticEx narrow;
    ASSERT_TRUE(narrow.Create(L"", WS_VISIBLE, RECT{560, 200, 560 + average, 216}, dialog, 1400));
    narrow.Text = std::wstring(4, wide);
    narrow.Invalidate(FALSE);
    ::UpdateWindow(narrow); // would never return if an over-wide character looped
    const RECT r = ChildRect(dialog, 1400);
    EXPECT_GT(r.bottom - r.top, 3 * 16) << "each character should take a line of its own";
}

TEST_F(SkinDialog, ProgressFillShowsBothEndsOfTheFillImage) {
    UniqueBitmap fill(LoadSkinImage(Resources(), 153));
    UniqueBitmap track(LoadSkinImage(Resources(), 152));
    ASSERT_TRUE(fill && track);
    const Capture shot = CaptureWindowSettled(dialog);
    const RECT bar = ChildRect(dialog, 1301); // position 50
    int compared = 0, mismatched = 0;
    for (int y = 2; y < 19; y += 4) {
        for (int x = 0; x < 390; ++x) {
            // x 0..96 from fill columns 0..96, x 97..194 from columns 292..389, beyond it the track.
            const bool filled = x < 195;
            const int source = x < 97 ? x : x + 195;
            const COLORREF want =
                filled ? BitmapPixel(fill.get(), source, y) : BitmapPixel(track.get(), x, y);
            if (want == SkinKeyColor)
                continue;
            ++compared;
            if (shot.At(bar.left + x, bar.top + y) != want)
                ++mismatched;
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_EQ(mismatched, 0) << "of " << compared;
}

TEST_F(SkinDialog, RepaintingLeavesTheGdiObjectCountAsItWas) {
    for (int i = 0; i < 20; ++i)
        ::RedrawWindow(dialog, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const DWORD before = GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        ::RedrawWindow(dialog, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (i % 25 == 0)
            dialog.SetTitle(i % 50 ? L"标题一" : L"另一个标题");
    }
    Pump(50);
    const DWORD after = GdiObjectCount();
    std::printf("100 repaints: GDI objects %lu -> %lu\n", static_cast<unsigned long>(before),
                static_cast<unsigned long>(after));
    // Four titles were set: a leak per call shows as 4 or more.
    EXPECT_LE(after, before + 1);
}

TEST_F(SkinDialog, SettingTheTitleLeavesTheGdiObjectCountAsItWas) {
    for (int i = 0; i < 4; ++i) {
        dialog.SetTitle(i % 2 ? L"标题一" : L"另一个标题");
        ::UpdateWindow(dialog);
    }
    Pump(20);
    const DWORD before = GdiObjectCount();
    for (int i = 0; i < 50; ++i) {
        dialog.SetTitle(i % 2 ? L"标题一" : L"另一个标题");
        ::UpdateWindow(dialog);
    }
    Pump(50);
    EXPECT_LE(GdiObjectCount(), before + 1);
    EXPECT_EQ(dialog.GetWindowText(), L"标题一");
}

TEST(SkinGallery, ShowsEverySkinnedWindow) {
    // With ZARN_GALLERY_DIR set the pictures are saved there too, and the windows stay up a while.
    const bool gallery = !GalleryFolder().empty();
    ShowcaseDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ::SetWindowPos(dialog, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(dialog, SW_SHOW);

    struct BoxSample {
        UINT Type;
        const wchar_t* Text;
    };
    const BoxSample samples[] = {
        {MB_OK, L"当前网络不可用，请检查网络连接是否正常！"},
        {MB_OKCANCEL, L"确定要移除 MirelCorvale极速登录器吗？\n移除后桌面快捷方式也会删除。"},
        {MB_YESNO, L"您当前的Flash Player版本过低，\n是否安装更高版本的Flash Player ?\n（第三行）"},
        {MB_OK, L"短"},
        {MB_YESNO, L"当前窗体只支持3个游戏页"},
        {3, L"类型 3 只显示一个确定按钮"},
    };
    std::vector<std::unique_ptr<CMessageBox>> boxes;
    int x = 670, y = 10;
    for (const BoxSample& sample : samples) {
        auto box = std::make_unique<CMessageBox>(nullptr);
        box->SecondButtonImage.reset(LoadSkinImage(Resources(), 133));
        box->FirstButtonImage.reset(LoadSkinImage(Resources(), 133));
        box->CloseImage.reset(LoadSkinImage(Resources(), 132));
        box->BackgroundImage.reset(LoadSkinImage(Resources(), 131));
        box->Type = static_cast<int>(sample.Type);
        box->Caption = L"MirelCorvale";
        box->Text = sample.Text;
        ASSERT_TRUE(box->Create(nullptr));
        const RECT r = box->GetWindowRect();
        if (y + (r.bottom - r.top) > 790) {
            y = 400;
            x = 10;
        }
        ::SetWindowPos(*box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(*box, SW_SHOWNOACTIVATE);
        if (x >= 670)
            y += r.bottom - r.top + 8;
        else
            x += r.right - r.left + 8;
        boxes.push_back(std::move(box));
    }
    Pump(gallery ? 1500 : 200);
    // Every window is up and painted, gallery or not: its picture on screen is not one flat colour.
    const auto expectPainted = [](HWND wnd, const std::wstring& name) {
        EXPECT_TRUE(::IsWindowVisible(wnd)) << name.size();
        const Capture shot = CaptureWindowSettled(wnd);
        ASSERT_GT(shot.Width, 0);
        ASSERT_GT(shot.Height, 0);
        std::vector<COLORREF> colours(shot.Pixels);
        std::sort(colours.begin(), colours.end());
        const auto distinct = std::unique(colours.begin(), colours.end()) - colours.begin();
        EXPECT_GE(distinct, 3) << "a flat picture of window " << std::string(name.begin(), name.end());
        if (!GalleryFolder().empty()) {
            EXPECT_FALSE(SaveGalleryShot(wnd, name).empty());
        }
    };
    expectPainted(dialog, L"dialog-skin134");
    int n = 0;
    for (auto& box : boxes)
        expectPainted(*box, L"messagebox-" + std::to_wstring(++n));
    EXPECT_EQ(n, 6);
    if (!gallery)
        return;
    // Hover the stretched button so its tooltip shows, then hold for a root-window screenshot.
    const RECT stretched = dialog.Buttons[4].GetWindowRect();
    ::SetCursorPos(stretched.left + 20, stretched.top + 10);
    wchar_t hold[16] = {};
    const int seconds = ::GetEnvironmentVariableW(L"ZARN_GALLERY_HOLD", hold, 16) ? _wtoi(hold) : 0;
    Pump(static_cast<DWORD>(seconds > 0 ? seconds : 1) * 1000);
}

TEST(SkinButton, FrameChoiceDisabledPressedLatchHover) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    {
        CBtnEx button;
        ASSERT_TRUE(button.Create(L"确定", WS_VISIBLE, RECT{10, 10, 67, 33}, parent, 7));
        EXPECT_EQ(button.Text, L"确定");
        EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
        EXPECT_EQ(button.FrameFor(0), CBtnEx::FrameNormal);
        button.Hovered = TRUE;
        EXPECT_EQ(button.FrameFor(0), CBtnEx::FrameHover);
        EXPECT_EQ(button.FrameFor(ODS_DISABLED), CBtnEx::FrameDisabled); // whatever the hover
        // Pressed once, the button stays pressed (even when the mouse leaves) until the button is released.
        EXPECT_EQ(button.FrameFor(ODS_SELECTED), CBtnEx::FramePressed);
        EXPECT_EQ(button.FrameFor(0), CBtnEx::FramePressed);
        button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
        EXPECT_FALSE(button.PressedLatch);
        EXPECT_EQ(button.FrameFor(0), CBtnEx::FrameHover);
        // A strip of another size is drawn stretched; SetImage with resize takes the frame size.
        UniqueBitmap strip(LoadSkinImage(Resources(), 133));
        button.SetImage(strip.get(), TRUE);
        const RECT r = button.GetWindowRect();
        EXPECT_EQ(r.right - r.left, 57);
        EXPECT_EQ(r.bottom - r.top, 23);
        EXPECT_EQ(button.Images.GetImageCount(), 4);
        // The strip itself is left as it was (the key colour is not blackened).
        EXPECT_EQ(BitmapPixel(strip.get(), 0, 0), SkinKeyColor);
    }
    ::DestroyWindow(parent);
}

TEST(SkinHover, ButtonsAndStaticTextsFollowTheSameHoverRule) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    {
        CBtnEx button;
        CStaticEx text;
        ASSERT_TRUE(button.Create(L"确定", WS_VISIBLE, RECT{10, 10, 67, 33}, parent, 7));
        ASSERT_TRUE(text.Create(L"文字", WS_VISIBLE | SS_NOTIFY, RECT{10, 40, 150, 60}, parent, 8));
        const auto check = [](CWnd& wnd, BOOL& hovered, BOOL& tracking) {
            EXPECT_EQ(wnd.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(2, 2)), 0);
            EXPECT_TRUE(hovered);
            tracking = TRUE;
            EXPECT_EQ(wnd.SendMessage(WM_MOUSELEAVE, 0, 0), 0);
            EXPECT_FALSE(hovered);
            EXPECT_FALSE(tracking);
        };
        check(button, button.Hovered, button.MouseTracking);
        check(text, text.Hovered, text.MouseTracking);
    }
    ::DestroyWindow(parent);
}

namespace {
// A dialog drawn 1:1 from skin 162 and sized to it, as the another-account choice is.
class OneToOneDialog : public CDlgEx {
  public:
    ~OneToOneDialog() override { DestroyWindow(); }
    OneToOneDialog() : CDlgEx(130) {}

  protected:
    BOOL OnInitDialog() override {
        CDlgEx::OnInitDialog();
        TitleHeight = 30;
        SetTitle(L"1:1 皮肤");
        ShowCaption = FALSE; // keep every skin pixel comparable
        SetSkin(UniqueBitmap(LoadSkinImage(Resources(), 162)), TRUE, FALSE, nullptr, {}, {}, nullptr);
        return TRUE;
    }
};
} // namespace

TEST(SkinDialogOneToOne, TakesTheSkinsSizeAndShowsItPixelForPixel) {
    UniqueBitmap skin(LoadSkinImage(Resources(), 162));
    ASSERT_TRUE(skin);
    OneToOneDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ::SetWindowPos(dialog, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(dialog, SW_SHOW);
    Pump(200);
    const RECT r = dialog.GetWindowRect();
    EXPECT_EQ(r.right - r.left, 284);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(::GetDlgItem(dialog, 50000), nullptr);
    // Not resizable, title band 30: only the band drags.
    EXPECT_EQ(dialog.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(r.left + 100, r.top + 10)), HTCAPTION);
    EXPECT_EQ(dialog.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, r.top + 100)), HTCLIENT);
    const Capture shot = CaptureWindowSettled(dialog);
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(dialog, region.get()), ERROR);
    int compared = 0, mismatched = 0, cutCorners = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 284; ++x) {
            const COLORREF want = BitmapPixel(skin.get(), x, y);
            if (want == SkinKeyColor) {
                const bool corner = (x < 9 || x >= 275) && (y < 9 || y >= 141);
                if (corner && !::PtInRegion(region.get(), x, y))
                    ++cutCorners;
                continue;
            }
            ++compared;
            if (shot.At(x, y) != want)
                ++mismatched;
        }
    EXPECT_GT(compared, 30000);
    EXPECT_EQ(mismatched, 0) << "of " << compared;
    EXPECT_GT(cutCorners, 0);
    dialog.DestroyWindow();
}
