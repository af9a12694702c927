// Picture buttons and the element tables; see PictureButtons.h.
#include "browser/PictureButtons.h"

#include "browser/PageRules.h"

namespace zarn {
namespace ev = element_event;

void PictureButtons::ShowNormal(PageElement& element) {
    if (Capture_.Held())
        return;
    element.SetBackgroundPositionX(ButtonBackgroundX(ButtonPicture::Normal, element.OffsetWidth()));
}

void PictureButtons::ShowHover(PageElement& element) {
    if (Capture_.Held() || element.IsDisabled())
        return;
    element.SetBackgroundPositionX(ButtonBackgroundX(ButtonPicture::Hover, element.OffsetWidth()));
}

void PictureButtons::ShowPressed(const std::shared_ptr<PageElement>& element) {
    if (!element || element->IsDisabled())
        return;
    Pressed_ = element;
    Capture_.Take();
    element->SetBackgroundPositionX(ButtonBackgroundX(ButtonPicture::Pressed, element->OffsetWidth()));
}

void PictureButtons::Release(PageElement& element) {
    ShowHover(element);
    element.Click();
}

bool PictureButtons::OnButtonUp(int x, int y) {
    if (!Capture_.Held())
        return false;
    Capture_.Release();
    if (std::shared_ptr<PageElement> pressed = std::move(Pressed_)) {
        const int left = pressed->OffsetLeft();
        const int top = pressed->OffsetTop();
        const bool inside =
            x >= left && x < left + pressed->OffsetWidth() && y >= top && y < top + pressed->OffsetHeight();
        if (inside) {
            ShowHover(*pressed);
            pressed->Click();
        } else {
            ShowNormal(*pressed);
        }
    }
    return true;
}

namespace {

constexpr ElementEventEntry DialogEntries[] = {
    {MatchBy::ClassName, L"button", ev::MouseOut, ElementAction::ShowButtonNormal},
    {MatchBy::ClassName, L"button", ev::MouseOver, ElementAction::ShowButtonHover},
    {MatchBy::ClassName, L"button", ev::MouseDown, ElementAction::ShowButtonPressed},
    {MatchBy::ClassName, L"button", ev::MouseUp, ElementAction::ReleaseButton},
    {MatchBy::TagName, L"body", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"body", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"body", ev::MouseMove, ElementAction::DragMove},
    {MatchBy::TagName, L"body", ev::ContextMenu, ElementAction::Nothing},
    {MatchBy::TagName, L"td", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"td", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"td", ev::MouseMove, ElementAction::DragMove},
    {MatchBy::TagName, L"td", ev::ContextMenu, ElementAction::Nothing},
    {MatchBy::TagName, L"div", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"div", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"div", ev::MouseMove, ElementAction::DragMove},
    {MatchBy::TagName, L"div", ev::ContextMenu, ElementAction::Nothing},
};

constexpr ElementEventEntry LoginEntries[] = {
    {MatchBy::TagName, L"body", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"body", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"body", ev::MouseMove, ElementAction::DragMove},
    {MatchBy::TagName, L"td", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"td", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"td", ev::MouseMove, ElementAction::DragMove},
    {MatchBy::TagName, L"div", ev::MouseDown, ElementAction::DragDown},
    {MatchBy::TagName, L"div", ev::MouseUp, ElementAction::DragUp},
    {MatchBy::TagName, L"div", ev::MouseMove, ElementAction::DragMove},
};

} // namespace

ElementEventTable DialogElementEvents() {
    return {DialogEntries, sizeof(DialogEntries) / sizeof(DialogEntries[0])};
}

ElementEventTable LoginElementEvents() {
    return {LoginEntries, sizeof(LoginEntries) / sizeof(LoginEntries[0])};
}

} // namespace zarn
