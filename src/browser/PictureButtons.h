// The picture buttons and element tables of the HTML dialogs: a button's background holds its
// normal, hovered and pressed pictures side by side, and the dialog slides it as the mouse acts.
// Portable: the dialog supplies the mouse capture, the page its elements.
#pragma once

#include <memory>

#include "base/PageElement.h"

namespace zarn {

// The dialog window's mouse capture.
class MouseCapture {
  public:
    virtual ~MouseCapture() = default;
    virtual bool Held() const = 0;
    virtual void Take() = 0;
    virtual void Release() = 0;
};

class PictureButtons {
  public:
    explicit PictureButtons(MouseCapture& capture) : Capture_(capture) {}

    void ShowNormal(PageElement& element);
    void ShowHover(PageElement& element);
    // Holds the element as the pressed one and takes the capture (a disabled one is left alone).
    void ShowPressed(const std::shared_ptr<PageElement>& element);
    void Release(PageElement& element);
    // A left or right button-up in the dialog at (x, y), client coordinates. True when it ended a
    // press (the capture was held): the pressed button clicks when the point lies on it.
    bool OnButtonUp(int x, int y);

    PageElement* Pressed() const { return Pressed_.get(); }
    // Lets go of the pressed element (the dialog is going).
    void Reset() { Pressed_.reset(); }

  private:
    MouseCapture& Capture_;
    std::shared_ptr<PageElement> Pressed_;
};

// The HTML dialog base's element-event table: class "button" picture buttons, and drag, no
// context menu on body, td and div.
ElementEventTable DialogElementEvents();
// The login page's table: only dragging by body, td and div.
ElementEventTable LoginElementEvents();

} // namespace zarn
