// Geometry of the launcher's caption: the tab strip, the game area, the caption controls and the
// minimum window size. Pure arithmetic on client coordinates, shared by painting and mouse handling.
#pragma once

#include <string>

#include "skin/SkinGeometry.h"

namespace zarn::tabstrip {

// Client rectangles, as the skin geometry has them (left, top, right, bottom).
using Rect = skin::Edges;

constexpr int TabWidth = 189;
constexpr int TabHeight = 22;
constexpr int StripLeft = 120;
constexpr int StripTop = 3;
constexpr int CloseSize = 13;
constexpr int MaxTitleWidth = 160; // wider titles are cut
constexpr int CutTitleLength = 18; // characters kept before "..."
constexpr int MinHeight = 260;

// The tab under a client point of the strip's hit band, or -1 (off the band, or no tab there).
int TabAt(int x, int y, int tabCount);
// Whether the point lies on the close button of tab i.
bool OnCloseButton(int x, int y, int i);
// Tab i's rectangle (what is invalidated for it), its close button and its title's rectangle.
Rect TabRect(int i);
Rect CloseRect(int i);
Rect TitleRect(int i);
// The strip with n tabs; with the slot after the last included (after a tab went).
Rect StripRect(int n);
Rect StripRectWithFreedSlot(int n);
// The image of tab i: 2 selected, 1 under the mouse, 0 otherwise.
int TabImage(int i, int currentTab, int hotTab);
// The text drawn on a tab: the title, or its first 18 characters and "..." when it measures wider than
// 160 pixels.
std::wstring DisplayTitle(const std::wstring& title, int measuredWidth);

// What follows the title of a tab whose game does not answer.
inline constexpr const wchar_t* NotRespondingMark = L"(未响应)";
// The minimum window size with n tabs (none with 0). Apply gives the size to use for a proposed one
// and whether it had to change.
struct Size {
    int cx = 0, cy = 0;
};
int MinWidth(int tabCount);
bool ClampToMinimum(int tabCount, Size& proposed);

// The caption controls' places for a client width, in the order hide, sound, system, hall, link.
enum CaptionControl { HideButton, SoundButton, SystemButton, HallButton, AccountLink, CaptionControlCount };
Rect CaptionControlRect(CaptionControl control, int clientWidth);

} // namespace zarn::tabstrip
