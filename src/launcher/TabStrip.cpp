// Geometry of the launcher's caption.
#include "launcher/TabStrip.h"

namespace zarn::tabstrip {

int TabAt(int x, int y, int tabCount) {
    if (tabCount <= 0 || y < 3 || y > 24)
        return -1;
    if (x <= StripLeft || x >= StripLeft + TabWidth * tabCount)
        return -1;
    return (x - StripLeft) / TabWidth;
}

bool OnCloseButton(int x, int y, int i) {
    const Rect r = CloseRect(i);
    return y < r.Bottom && x >= r.Left && x < r.Right;
}

Rect TabRect(int i) {
    return {StripLeft + TabWidth * i, StripTop, 309 + TabWidth * i, 25};
}
Rect CloseRect(int i) {
    return {296 + TabWidth * i, StripTop, 309 + TabWidth * i, 16};
}
Rect TitleRect(int i) {
    return {136 + TabWidth * i, 8, 296 + TabWidth * i, 22};
}
Rect StripRect(int n) {
    return {StripLeft, StripTop, StripLeft + TabWidth * n, 25};
}
Rect StripRectWithFreedSlot(int n) {
    return {StripLeft, StripTop, 309 + TabWidth * n, 25};
}

int TabImage(int i, int currentTab, int hotTab) {
    if (i == currentTab)
        return 2;
    return i == hotTab ? 1 : 0;
}

std::wstring DisplayTitle(const std::wstring& title, int measuredWidth) {
    if (measuredWidth <= MaxTitleWidth || title.size() <= static_cast<size_t>(CutTitleLength))
        return title;
    size_t keep = CutTitleLength;
    const wchar_t last = title[keep - 1];
    if (last >= 0xD800 && last <= 0xDBFF)
        --keep; // never half of a surrogate pair
    return title.substr(0, keep) + L"...";
}

int MinWidth(int tabCount) {
    return TabWidth * tabCount + 483;
}

bool ClampToMinimum(int tabCount, Size& proposed) {
    if (tabCount <= 0)
        return false;
    const int minWidth = MinWidth(tabCount);
    if (proposed.cx >= minWidth && proposed.cy >= MinHeight)
        return false;
    if (proposed.cx < minWidth)
        proposed.cx = minWidth;
    if (proposed.cy < MinHeight)
        proposed.cy = MinHeight;
    return true;
}

Rect CaptionControlRect(CaptionControl control, int cx) {
    switch (control) {
    case HideButton:
        return {cx - 114, 0, cx - 114 + 27, 27};
    case SoundButton:
        return {cx - 141, 0, cx - 141 + 27, 27};
    case SystemButton:
        return {cx - 185, 0, cx - 185 + 44, 28};
    case HallButton:
        return {cx - 264, 0, cx - 264 + 79, 28};
    default:
        return {cx - 360, 7, cx - 360 + 92, 7 + 16};
    }
}

} // namespace zarn::tabstrip
