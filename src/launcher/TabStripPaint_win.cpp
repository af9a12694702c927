// The tab strip in the launcher's caption: painting (with the skin, double-buffered), hover and close
// states, the tooltip, and the mouse. The strip lies in the caption, so the same actions arrive as
// client messages (maximised, or where the skin says client) and as non-client ones (the caption);
// both are handled alike.
#include "framework/Gdi.h"
#include "launcher/Plexo3Dlg_win.h"
#include "launcher/TabStrip.h"
#include "skin/SkinRect_win.h"

namespace zarn {
BOOL CPlexo3Dlg::PaintWithTabs(HDC dc) {
    const RECT client = GetClientRect();
    MemoryCanvas canvas(dc, client.right, client.bottom);
    if (!canvas.ok() || !OnEraseBkgnd(canvas.dc()))
        return FALSE;
    DrawTabs(canvas.dc());
    canvas.CopyTo(dc);
    return TRUE;
}

void CPlexo3Dlg::DrawTabs(HDC dc) {
    const UniqueFont font = MakeFont(GetFont(), DEFAULT_GUI_FONT, -12, 0, FALSE, nullptr);
    const SelectGuard selectFont(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < Tabs.Count(); ++i) {
        const tabstrip::Rect tab = tabstrip::TabRect(i);
        TabImages.Draw(dc, tabstrip::TabImage(i, CurrentTab, HotTab), tab.Left, tab.Top, ILD_TRANSPARENT);
        if (i == HotTab && HotCloseState >= 0) {
            const tabstrip::Rect close = tabstrip::CloseRect(i);
            CloseImages.Draw(dc, HotCloseState, close.Left, close.Top, ILD_TRANSPARENT);
        }
        const std::wstring title = Tabs.TitleAt(i);
        RECT measured{0, 0, 0, 0};
        ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &measured,
                    DT_CALCRECT | DT_SINGLELINE);
        const std::wstring shown = tabstrip::DisplayTitle(title, measured.right - measured.left);
        RECT box = ToRect(tabstrip::TitleRect(i));
        if (Responses.NotResponding(Tabs.WindowAt(i))) {
            // The mark keeps its place at the end of the title's room; the title gives way to it.
            RECT mark{0, 0, 0, 0};
            ::DrawTextW(dc, tabstrip::NotRespondingMark, -1, &mark, DT_CALCRECT | DT_SINGLELINE);
            RECT markBox = box;
            ::DrawTextW(dc, tabstrip::NotRespondingMark, -1, &markBox, DT_SINGLELINE | DT_RIGHT);
            box.right -= mark.right - mark.left + 4;
            ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box,
                        DT_SINGLELINE | DT_END_ELLIPSIS);
            continue;
        }
        ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box, DT_SINGLELINE);
    }
}

void CPlexo3Dlg::InvalidateStripRect(const RECT& rect) {
    ::InvalidateRect(GetSafeHwnd(), &rect, TRUE);
}
void CPlexo3Dlg::InvalidateTab(int i) {
    if (i >= 0)
        InvalidateStripRect(ToRect(tabstrip::TabRect(i)));
}
void CPlexo3Dlg::InvalidateClose(int i) {
    if (i >= 0)
        InvalidateStripRect(ToRect(tabstrip::CloseRect(i)));
}

void CPlexo3Dlg::ClearHot() {
    if (HotTab == -1 && HotCloseState == -1)
        return;
    InvalidateTab(HotTab);
    HotTab = HotCloseState = -1;
}

void CPlexo3Dlg::OnStripHitTest(POINT screen, LRESULT baseHit) {
    POINT p = screen;
    ::ScreenToClient(GetSafeHwnd(), &p);
    const int i = tabstrip::TabAt(p.x, p.y, Tabs.Count());
    if (i < 0) {
        if (HotTab != -1 || HotCloseState != -1) {
            ClearHot();
            TooltipActive = FALSE;
            ToolTip.Activate(FALSE);
        }
        return;
    }
    int closeState = 0;
    if (!TooltipActive) {
        ToolTip.Activate(TRUE);
        TooltipActive = TRUE;
        ToolTip.UpdateWindowToolText(Tabs.TitleAt(i), GetSafeHwnd());
    } else if (i != HotTab) {
        ToolTip.Activate(FALSE);
        TooltipActive = FALSE;
    }
    if (tabstrip::OnCloseButton(p.x, p.y, i)) {
        closeState = (::GetKeyState(VK_LBUTTON) & 0x8000) ? 2 : 1;
        ToolTip.Activate(FALSE);
        TooltipActive = FALSE;
    }
    if (i != HotTab || closeState != HotCloseState) {
        const bool tabChanged = i != HotTab;
        if (HotTab != -1) {
            if (tabChanged)
                InvalidateTab(HotTab);
            else
                InvalidateClose(HotTab);
        }
        HotTab = i;
        HotCloseState = closeState;
        if (tabChanged)
            InvalidateTab(i);
    }
    if (!MouseTracking && baseHit != HTCAPTION) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = GetSafeHwnd();
        track.dwHoverTime = HOVER_DEFAULT;
        MouseTracking = ::TrackMouseEvent(&track);
    }
}

void CPlexo3Dlg::PressTab(POINT p) {
    const int i = tabstrip::TabAt(p.x, p.y, Tabs.Count());
    if (i < 0)
        return;
    if (i != CurrentTab) {
        const int old = CurrentTab;
        CurrentTab = i;
        ShowTab(Tabs.WindowAt(i));
        InvalidateTab(old);
        InvalidateTab(i);
    } else if (HallWindow && ::IsWindowVisible(HallWindow)) {
        ShowTab(Tabs.WindowAt(i));
    }
    if (tabstrip::OnCloseButton(p.x, p.y, i)) {
        HotCloseState = 2;
        HotTab = i;
        InvalidateClose(i);
    }
}

// A left release on a tab's close button asks to close it. True when the point was on the strip.
bool CPlexo3Dlg::ReleaseOnStrip(POINT p) {
    const int i = tabstrip::TabAt(p.x, p.y, Tabs.Count());
    if (i < 0)
        return false;
    if (tabstrip::OnCloseButton(p.x, p.y, i))
        CloseTab(i);
    return true;
}

// A middle release anywhere on a tab asks to close it.
bool CPlexo3Dlg::MiddleReleaseOnStrip(POINT p) {
    const int i = tabstrip::TabAt(p.x, p.y, Tabs.Count());
    if (i < 0)
        return false;
    CloseTab(i);
    return true;
}

bool CPlexo3Dlg::HandleStripMouse(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    POINT p = PointFromLParam(l);
    const bool nonClient = msg == WM_NCHITTEST || msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONUP ||
                           msg == WM_NCMBUTTONUP || msg == WM_NCLBUTTONDBLCLK;
    const POINT screen = p;
    if (nonClient)
        ::ScreenToClient(GetSafeHwnd(), &p);
    const bool onStrip = tabstrip::TabAt(p.x, p.y, Tabs.Count()) >= 0;
    result = 0;
    switch (msg) {
    case WM_NCHITTEST:
        result = CDlgEx::WindowProc(msg, w, l);
        OnStripHitTest(screen, result);
        return true;
    case WM_LBUTTONDOWN:
        if (onStrip)
            PressTab(p);
        return false;
    case WM_NCLBUTTONDOWN:
        if (!onStrip)
            return false;
        PressTab(p);
        return true;
    case WM_LBUTTONUP:
        ReleaseOnStrip(p);
        return false;
    case WM_NCLBUTTONUP:
        return ReleaseOnStrip(p);
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP:
        return MiddleReleaseOnStrip(p);
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
        return onStrip; // a double click on the strip neither maximises nor restores
    case WM_MOUSELEAVE:
        ClearHot();
        MouseTracking = FALSE;
        return false;
    case WM_NCMOUSELEAVE:
        ClearHot();
        return false;
    default:
        return false;
    }
}

} // namespace zarn
