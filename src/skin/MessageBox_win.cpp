// The skinned message box: sized to its text, one or two image buttons, modal.
#include "skin/MessageBox_win.h"

#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage_win.h"
#include "skin/SkinRect_win.h"

namespace zarn {
namespace {
enum : UINT { SkinImageId = 131, CloseImageId = 132, PushButtonImageId = 133 };
} // namespace

CMessageBox::CMessageBox(HWND parent) : CDlgEx(TemplateId, parent) {}

SIZE CMessageBox::MeasureText(HDC dc) const {
    RECT r{0, 0, 0, 0};
    ::DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, DT_CALCRECT);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

BOOL CMessageBox::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetFrameLayout(30, 4, 0, 0, 0);
    SetSkin(std::move(BackgroundImage), FALSE, TRUE, nullptr, {}, {}, CloseImage.get());
    SetTitle(Caption);

    LineCount = skin::CountMessageLines(Text);
    TextFont = GetFont();
    SIZE text{};
    {
        WindowDC dc(GetSafeHwnd());
        SelectGuard select(dc.get(), TextFont);
        text = MeasureText(dc.get());
    }
    const SIZE strip = BitmapSize(FirstButtonImage.get());
    const int frameWidth = strip.cx / 4;
    skin::MessageBoxLayout layout = skin::MessageBoxSize(text.cx, text.cy, LineCount, frameWidth, strip.cy);
    SetSize(layout.Width, layout.Height);

    const RECT client = GetClientRect();
    skin::LayoutMessageBoxButtons(layout, static_cast<unsigned>(Type), client.right, client.bottom,
                                  frameWidth, strip.cy);
    if (layout.ButtonCount == 2) {
        const bool yesNo = Type == MB_YESNO;
        SetUpButton(FirstButton, FirstButtonId, ToRect(layout.First), yesNo ? L"是" : L"确定", false,
                    FirstButtonImage.get());
        SetUpButton(SecondButton, SecondButtonId, ToRect(layout.Second), yesNo ? L"否" : L"取消", false,
                    SecondButtonImage.get());
    } else {
        SetUpButton(FirstButton, FirstButtonId, ToRect(layout.First), L"确定", true, FirstButtonImage.get());
    }

    const RECT hidden{0, 0, 1, 1};
    BodyText.Create(Text.c_str(), SS_LEFT | SS_NOPREFIX, hidden, GetSafeHwnd());
    return TRUE;
}

void CMessageBox::SetUpButton(CBtnEx& button, UINT id, const RECT& rect, const wchar_t* label,
                              bool labelAsWindowText, HBITMAP strip) {
    if (!button.Create(labelAsWindowText ? label : L"", WS_VISIBLE | BS_PUSHBUTTON, rect, GetSafeHwnd(), id))
        return;
    button.Text = label;
    button.SetImage(strip, TRUE);
    button.Invalidate(TRUE);
}

void CMessageBox::DrawBody(HDC dc) {
    SavedDCState saved(dc);
    SelectGuard select(dc, TextFont);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, TextColor);
    const SIZE text = MeasureText(dc);
    const int lineHeight = LineCount > 0 ? text.cy / LineCount : text.cy;
    const RECT client = GetClientRect();
    int index = 0;
    for (const std::wstring& line : skin::MessageLines(Text)) {
        RECT r = ToRect(skin::MessageLineRect(index++, client.right, text.cx, lineHeight));
        ::DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r, DT_NOPREFIX);
    }
}

void CMessageBox::Paint() {
    PaintDC paint(GetSafeHwnd());
    const RECT window = GetWindowRect();
    MemoryCanvas canvas(paint.get(), window.right - window.left, window.bottom - window.top);
    if (!canvas.ok())
        return;
    if (!OnEraseBkgnd(canvas.dc())) {
        const RECT all{0, 0, canvas.width(), canvas.height()};
        ::FillRect(canvas.dc(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    DrawBody(canvas.dc());
    canvas.CopyTo(paint.get());
}

LRESULT CMessageBox::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        // The box's own erase is part of its paint (one copy, no flicker); children still get the skin.
        if (::WindowFromDC(reinterpret_cast<HDC>(w)) == GetSafeHwnd())
            return TRUE;
        break;
    case WM_CLOSE:
        CDialog::OnCancel();
        return 0;
    case WM_COMMAND:
        if (CommandCode(w) == BN_CLICKED && CommandId(w) == FirstButtonId) {
            EndDialog(Type == MB_YESNO ? IDYES : IDOK);
            return 0;
        }
        if (CommandCode(w) == BN_CLICKED && CommandId(w) == SecondButtonId && SecondButton.GetSafeHwnd()) {
            EndDialog(Type == MB_YESNO ? IDNO : IDCANCEL);
            return 0;
        }
        break;
    default:
        break;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

int ShowMessageBox(UINT type, const wchar_t* caption, const wchar_t* text, HWND parent) {
    HINSTANCE instance = AfxGetInstanceHandle();
    CMessageBox box(parent);
    box.SecondButtonImage.reset(LoadSkinImage(instance, PushButtonImageId));
    box.FirstButtonImage.reset(LoadSkinImage(instance, PushButtonImageId));
    box.CloseImage.reset(LoadSkinImage(instance, CloseImageId));
    box.BackgroundImage.reset(LoadSkinImage(instance, SkinImageId));
    box.Type = static_cast<int>(type);
    box.Caption = caption ? caption : L"";
    box.Text = text ? text : L"";
    box.TextColor = RGB(0, 0, 0);
    const INT_PTR result = box.DoModal();
    // A box that could not be created was not answered: report it as cancelled.
    return result < 0 ? IDCANCEL : static_cast<int>(result);
}

} // namespace zarn
