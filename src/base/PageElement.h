// An element of a page as the page dialogs see it, and the element-event tables that route a
// document's mouse events to handlers by the element's class or tag name. Portable: the real
// element adapter (over IHTMLElement) and the tests' fake elements implement the same interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

class PageElement {
  public:
    virtual ~PageElement() = default;
    virtual std::wstring ClassName() const = 0;
    virtual std::wstring TagName() const = 0;
    // The element's "disabled" attribute reads as a true boolean.
    virtual bool IsDisabled() const = 0;
    virtual int OffsetLeft() const = 0;
    virtual int OffsetTop() const = 0;
    virtual int OffsetWidth() const = 0;
    virtual int OffsetHeight() const = 0;
    // Moves the background picture; false (nothing done) when the element has no style object.
    virtual bool SetBackgroundPositionX(int pixels) = 0;
    // Runs the page's own click handling.
    virtual void Click() = 0;
};

// What a table entry does with the event's element.
enum class ElementAction {
    ShowButtonNormal,
    ShowButtonHover,
    ShowButtonPressed,
    ReleaseButton,
    DragDown,
    DragUp,
    DragMove,
    Nothing,
};

// Document event numbers the tables use.
namespace element_event {
constexpr int32_t MouseOut = static_cast<int32_t>(0x80010009);
constexpr int32_t MouseOver = static_cast<int32_t>(0x80010008);
constexpr int32_t MouseDown = -605;
constexpr int32_t MouseUp = -607;
constexpr int32_t MouseMove = -606;
constexpr int32_t ContextMenu = 1023;
} // namespace element_event

enum class MatchBy { ClassName, TagName };

struct ElementEventEntry {
    MatchBy Kind;
    const wchar_t* Name;
    int32_t Event;
    ElementAction Action;
};

struct ElementEventTable {
    const ElementEventEntry* Entries = nullptr;
    size_t Count = 0;
};

// The first entry, in table order, whose event matches and whose name matches the element: its
// class name exactly for class entries, its tag name without regard to ASCII case for tag entries.
// Null when none does.
const ElementEventEntry* FindElementEvent(const ElementEventTable& table, int32_t event,
                                          std::wstring_view className, std::wstring_view tagName);

} // namespace zarn
