// Geometry of the skinned windows: skin pieces (nine-slice and 1:1), the corner cut-outs of the window
// region, hit testing, the dialog's own maximised rectangle, caption placement, the message box layout,
// the progress bar's fill and the static text's wrapping. Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zarn::skin {

// (x, y, width, height).
struct Box {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool operator==(const Box& o) const {
        return X == o.X && Y == o.Y && Width == o.Width && Height == o.Height;
    }
};

// (left, top, right, bottom).
struct Edges {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const Edges& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

struct Point {
    int X = 0, Y = 0;
    bool operator==(const Point& o) const { return X == o.X && Y == o.Y; }
};

// One copy from the skin to the window: 1:1 when !Stretch (sizes of Dest and Source equal).
struct SkinPiece {
    Box Dest;
    Box Source;
    bool Stretch = false;
};

// The copies that paint a skin of bw x bh onto a window of w x h with border `frame` and title band
// `titleHeight` (-1: none, the border's width is used). Stretch: nine slices; otherwise the skin 1:1
// (clipped to the window) followed by the right and bottom border pieces. Pieces of no area are left out.
std::vector<SkinPiece> SkinPieces(bool stretch, int w, int h, int bw, int bh, int frame, int titleHeight);

// Window pixels to cut from a window of w x h: the key-coloured pixels of the skin's four 9 x 9 corner
// blocks, mirrored to the window's corners. isKey(x, y) reads the skin; pixels outside it are never read.
std::vector<Point> CornerCuts(int w, int h, int bw, int bh, const std::function<bool(int x, int y)>& isKey);

// Hit-test codes (the system's HT values).
enum HitCode : int {
    HitDefault = -1, // the window's default answer
    HitCaption = 2,
    HitLeft = 10,
    HitRight = 11,
    HitTop = 12,
    HitTopLeft = 13,
    HitTopRight = 14,
    HitBottom = 15,
    HitBottomLeft = 16,
    HitBottomRight = 17,
};

// Hit test of a client point of a skinned window of cw x ch (not maximised).
HitCode SkinHitTest(bool resizable, int x, int y, int cw, int ch, int frame, int titleHeight);

// The system-command size code (SC_SIZE + edge) of a border hit code, or 0 for other codes.
unsigned SizeCommandFor(int hitCode);

// The dialog's own maximised rectangle: the work area, shrunk symmetrically to maxWidth x maxHeight.
Edges MaximizedRect(Edges workArea, int maxWidth, int maxHeight);

// The restore rectangle set at initialisation: the work area's middle (left/top not offset by origin).
Edges InitialRestoreRect(Edges workArea);

// Vertical placement of the title band's icon and caption text.
int IconTop(int titleHeight);
int CaptionTop(int titleHeight);
// Left of the caption text.
inline int CaptionLeft(bool hasIcon, int frame) {
    return (hasIcon ? 16 : 0) + frame + 5;
}
// Top of the caption strip that SetTitle invalidates, for a font of |lfHeight| = fontHeight.
int CaptionInvalidTop(int titleHeight, int fontHeight);

// Right edges of the title-bar buttons, laid out right to left from `right`: close, then maximise, then
// minimise. Widths 0 mean "no such button" (the close button's width still counts as 0 then).
struct TitleButtonRights {
    int Close = 0, Maximize = 0, Minimize = 0;
};
TitleButtonRights LayoutTitleButtons(int right, int gap, int closeWidth, int maximizeWidth,
                                     int minimizeWidth);

// The message box.
inline constexpr int MessageBoxTextTop = 55;
inline constexpr int MessageBoxLineGap = 3;
int CountMessageLines(const std::wstring& text);
// The pieces drawn line by line: each piece ends at a line feed; a last empty piece is not drawn.
std::vector<std::wstring> MessageLines(const std::wstring& text);

struct MessageBoxLayout {
    int Width = 0, Height = 0;
    int ButtonCount = 1;
    Edges First, Second;
};
// Window size from the measured text (tw x th), line count and button frame (fw x bh).
MessageBoxLayout MessageBoxSize(int tw, int th, int lineCount, int fw, int bh);
// Buttons in a client area of cw x ch for a box type (1 and 4: two buttons; anything else: one).
void LayoutMessageBoxButtons(MessageBoxLayout& layout, unsigned type, int cw, int ch, int fw, int bh);
// The rectangle of line `index` of the text block.
Edges MessageLineRect(int index, int clientWidth, int tw, int lineHeight);

// The progress bar's fill: the image's first `Half` columns at the fill area's left, and its last `Rest`
// columns (from column `RestSource`) right after them.
struct ProgressFill {
    int Filled = 0, Half = 0, Rest = 0, RestSource = 0;
};
ProgressFill ComputeProgressFill(int pos, int lo, int hi, int fillWidth);

// Character-by-character wrapping of a static text into an area of `areaWidth` pixels; measure(line)
// gives a line's width. Carriage returns are dropped, line feeds break; a character that alone is wider
// than the area takes a line of its own.
std::vector<std::wstring> WrapText(const std::wstring& text, int areaWidth,
                                   const std::function<int(const std::wstring&)>& measure);
// Height needed for `lines` lines (at least one) of height lh with `spacing` between them.
inline int WrappedHeight(int lines, int lh, int spacing) {
    return lh + (lines > 1 ? lines - 1 : 0) * (lh + spacing);
}

} // namespace zarn::skin
