// Geometry of the skinned windows (see SkinGeometry.h).
#include "skin/SkinGeometry.h"

#include <algorithm>

namespace zarn::skin {

std::vector<SkinPiece> SkinPieces(bool stretch, int w, int h, int bw, int bh, int frame, int titleHeight) {
    const int b = frame;
    const int t = titleHeight == -1 ? frame : titleHeight;
    const SkinPiece topLeft{{0, 0, b, t}, {0, 0, b, t}, false};
    const SkinPiece topEdge{{b, 0, w - 2 * b, t}, {b, 0, bw - 2 * b, t}, true};
    const SkinPiece topRight{{w - b, 0, b, t}, {bw - b, 0, b, t}, false};
    const SkinPiece leftEdge{{0, t, b, h - t - b}, {0, t, b, bh - t - b}, true};
    const SkinPiece rightEdge{{w - b, t, b, h - t - b}, {bw - b, t, b, bh - t - b}, true};
    const SkinPiece centre{{b, t, w - 2 * b, h - t - b}, {b, t, bw - 2 * b, bh - t - b}, true};
    const SkinPiece bottomLeft{{0, h - b, b, b}, {0, bh - b, b, b}, false};
    const SkinPiece bottomEdge{{b, h - b, w - 2 * b, b}, {b, bh - b, bw - 2 * b, b}, true};
    const SkinPiece bottomRight{{w - b, h - b, b, b}, {bw - b, bh - b, b, b}, false};

    std::vector<SkinPiece> all;
    if (stretch) {
        all = {topLeft, topEdge, topRight, leftEdge, rightEdge, centre, bottomLeft, bottomEdge, bottomRight};
    } else {
        const int cw = std::min(w, bw);
        const int ch = std::min(h, bh);
        all = {SkinPiece{{0, 0, cw, ch}, {0, 0, cw, ch}, false},
               topRight,
               rightEdge,
               bottomLeft,
               bottomEdge,
               bottomRight};
    }
    std::vector<SkinPiece> pieces;
    for (const SkinPiece& p : all) {
        if (p.Dest.Width > 0 && p.Dest.Height > 0 && p.Source.Width > 0 && p.Source.Height > 0 &&
            p.Source.X >= 0 && p.Source.Y >= 0)
            pieces.push_back(p);
    }
    return pieces;
}

std::vector<Point> CornerCuts(int w, int h, int bw, int bh, const std::function<bool(int x, int y)>& isKey) {
    std::vector<Point> cuts;
    const int columns = std::min(bw, 9);
    const auto scanRow = [&](int y, int windowY) {
        for (int x = 0; x < columns; ++x) {
            if (isKey(x, y))
                cuts.push_back({x, windowY});
            if (isKey(bw - 1 - x, y))
                cuts.push_back({w - 1 - x, windowY});
        }
    };
    for (int y = 0; y < std::min(bh, 9); ++y)
        scanRow(y, y);
    for (int y = std::max(bh - 9, 0); y < bh; ++y)
        scanRow(y, h - bh + y);
    return cuts;
}

HitCode SkinHitTest(bool resizable, int x, int y, int cw, int ch, int frame, int titleHeight) {
    const int b = frame;
    const int t = titleHeight;
    if (!resizable)
        return (t == -1 || (y >= 0 && y < t)) ? HitCaption : HitDefault;
    const bool top = y >= 0 && y < b;
    const bool bottom = y >= ch - b && y < ch;
    if (x >= 0 && x < b)
        return top ? HitTopLeft : bottom ? HitBottomLeft : HitLeft;
    if (x >= cw - b && x < cw)
        return top ? HitTopRight : bottom ? HitBottomRight : HitRight;
    if (y >= 0 && y < 3)
        return HitTop;
    if (y >= 3 && y < t)
        return HitCaption;
    if (t == -1)
        return HitCaption;
    if (bottom)
        return HitBottom;
    return HitDefault;
}

unsigned SizeCommandFor(int hitCode) {
    if (hitCode < HitLeft || hitCode > HitBottomRight)
        return 0;
    return 0xF000u + static_cast<unsigned>(hitCode - HitLeft + 1);
}

Edges MaximizedRect(Edges work, int maxWidth, int maxHeight) {
    if (work.Right - work.Left > maxWidth) {
        const int d = (work.Right - work.Left - maxWidth) / 2;
        work.Left += d;
        work.Right -= d;
    }
    if (work.Bottom - work.Top > maxHeight) {
        const int d = (work.Bottom - work.Top - maxHeight) / 2;
        work.Top += d;
        work.Bottom -= d;
    }
    return work;
}

Edges InitialRestoreRect(Edges work) {
    const int dx = (work.Right - work.Left) / 8;
    const int dy = (work.Bottom - work.Top) / 8;
    return Edges{dx, dy, work.Right - dx, work.Bottom - dy};
}

int IconTop(int titleHeight) {
    return titleHeight == -1 ? 6 : (titleHeight - 15) / 2;
}

int CaptionTop(int titleHeight) {
    int q = (titleHeight - 11) / 2;
    if (q < 0)
        q = 6;
    return q - 2;
}

int CaptionInvalidTop(int titleHeight, int fontHeight) {
    int q = (titleHeight - fontHeight + 1) / 2;
    if (q < 0)
        q = 6;
    return q - 2;
}

TitleButtonRights LayoutTitleButtons(int right, int gap, int closeWidth, int maximizeWidth,
                                     int minimizeWidth) {
    TitleButtonRights rights;
    rights.Close = right;
    int x = right;
    if (maximizeWidth > 0) {
        x = x - closeWidth - gap;
        rights.Maximize = x;
    }
    if (minimizeWidth > 0) {
        x = x - (maximizeWidth > 0 ? maximizeWidth : closeWidth) - gap;
        rights.Minimize = x;
    }
    return rights;
}

int CountMessageLines(const std::wstring& text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

std::vector<std::wstring> MessageLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find(L'\n', start)) != std::wstring::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

MessageBoxLayout MessageBoxSize(int tw, int th, int lineCount, int fw, int bh) {
    MessageBoxLayout layout;
    layout.Width = tw > 2 * fw + 60 ? tw + 60 : 2 * fw + 60;
    layout.Height = 3 * lineCount + th + bh + 90;
    return layout;
}

void LayoutMessageBoxButtons(MessageBoxLayout& layout, unsigned type, int cw, int ch, int fw, int bh) {
    const int bottom = ch - 30;
    const int top = bottom - bh;
    if (type == 1 || type == 4) {
        layout.ButtonCount = 2;
        layout.First = Edges{cw / 2 - 10 - fw, top, cw / 2 - 10, bottom};
        layout.Second = Edges{cw / 2 + 10, top, cw / 2 + 10 + fw, bottom};
        return;
    }
    layout.ButtonCount = 1;
    const int left = (cw - fw) / 2;
    layout.First = Edges{left, top, left + fw, bottom};
    layout.Second = Edges{};
}

Edges MessageLineRect(int index, int clientWidth, int tw, int lineHeight) {
    const int left = (clientWidth - tw) / 2;
    const int top = MessageBoxTextTop + index * (lineHeight + MessageBoxLineGap);
    return Edges{left, top, left + tw, top + lineHeight};
}

ProgressFill ComputeProgressFill(int pos, int lo, int hi, int fillWidth) {
    ProgressFill fill;
    if (hi <= lo || fillWidth <= 0)
        return fill; // an empty range has no fill
    const double exact = static_cast<double>(fillWidth) / (hi - lo) * pos;
    fill.Filled = exact <= 0 ? 0 : exact >= fillWidth ? fillWidth : static_cast<int>(exact);
    fill.Half = fill.Filled / 2;
    fill.Rest = fill.Filled - fill.Half;
    fill.RestSource = fillWidth - fill.Rest;
    return fill;
}

std::vector<std::wstring> WrapText(const std::wstring& text, int areaWidth,
                                   const std::function<int(const std::wstring&)>& measure) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (const wchar_t c : text) {
        if (c == L'\r')
            continue;
        if (c == L'\n') {
            lines.push_back(line);
            line.clear();
            continue;
        }
        std::wstring longer = line + c;
        if (!line.empty() && measure(longer) > areaWidth) {
            lines.push_back(line);
            longer.assign(1, c); // the character starts the next line, even when it alone is too wide
        }
        line = std::move(longer);
    }
    lines.push_back(line);
    return lines;
}

} // namespace zarn::skin
