// Picture buttons and the element-event tables, against fake elements and a fake capture.
#include "browser/PictureButtons.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zarn;
namespace ev = element_event;

namespace {

struct FakeCapture : MouseCapture {
    bool held = false;
    int takes = 0;
    bool Held() const override { return held; }
    void Take() override {
        held = true;
        ++takes;
    }
    void Release() override { held = false; }
};

struct FakeElement : PageElement {
    std::wstring cls = L"button";
    std::wstring tag = L"A";
    bool disabled = false;
    bool hasStyle = true;
    int left = 10, top = 20, width = 60, height = 30;
    std::vector<int> positions;
    int clicks = 0;
    std::wstring ClassName() const override { return cls; }
    std::wstring TagName() const override { return tag; }
    bool IsDisabled() const override { return disabled; }
    int OffsetLeft() const override { return left; }
    int OffsetTop() const override { return top; }
    int OffsetWidth() const override { return width; }
    int OffsetHeight() const override { return height; }
    bool SetBackgroundPositionX(int x) override {
        if (!hasStyle)
            return false;
        positions.push_back(x);
        return true;
    }
    void Click() override { ++clicks; }
};

} // namespace

TEST(PictureButtons, HoverAndNormalSlideTheBackground) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    FakeElement e;
    buttons.ShowHover(e);
    buttons.ShowNormal(e);
    EXPECT_EQ(e.positions, (std::vector<int>{-60, 0}));
}

TEST(PictureButtons, ReleasingInsideShowsHoverAndClicksOnce) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    auto e = std::make_shared<FakeElement>();
    buttons.ShowPressed(e);
    EXPECT_TRUE(capture.held);
    EXPECT_EQ(buttons.Pressed(), e.get());
    // While pressed, hover and mouse-out of any button change nothing.
    FakeElement other;
    buttons.ShowHover(other);
    buttons.ShowNormal(other);
    EXPECT_TRUE(other.positions.empty());

    EXPECT_TRUE(buttons.OnButtonUp(10, 20)); // the top-left corner is inside
    EXPECT_FALSE(capture.held);
    EXPECT_EQ(e->positions, (std::vector<int>{-120, -60}));
    EXPECT_EQ(e->clicks, 1);
    EXPECT_EQ(buttons.Pressed(), nullptr);
}

TEST(PictureButtons, ReleasingOutsideRestoresNormalWithoutAClick) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    auto e = std::make_shared<FakeElement>();
    buttons.ShowPressed(e);
    // Right and bottom edges lie outside, as for PtInRect.
    EXPECT_TRUE(buttons.OnButtonUp(70, 25));
    EXPECT_EQ(e->positions, (std::vector<int>{-120, 0}));
    EXPECT_EQ(e->clicks, 0);
    buttons.ShowPressed(e);
    EXPECT_TRUE(buttons.OnButtonUp(15, 50));
    EXPECT_EQ(e->clicks, 0);
}

TEST(PictureButtons, AButtonUpWithoutTheCaptureIsNotOurs) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    EXPECT_FALSE(buttons.OnButtonUp(10, 20));
    capture.held = true; // held, but nothing pressed
    EXPECT_TRUE(buttons.OnButtonUp(10, 20));
    EXPECT_FALSE(capture.held);
}

TEST(PictureButtons, ADisabledButtonNeverChangesNorTakesTheCapture) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    auto e = std::make_shared<FakeElement>();
    e->disabled = true;
    buttons.ShowHover(*e);
    buttons.ShowPressed(e);
    EXPECT_TRUE(e->positions.empty());
    EXPECT_EQ(capture.takes, 0);
    EXPECT_EQ(buttons.Pressed(), nullptr);
    // Normal still applies: it does not look at the attribute.
    buttons.ShowNormal(*e);
    EXPECT_EQ(e->positions, (std::vector<int>{0}));
}

TEST(PictureButtons, ANewPressReplacesThePreviousElement) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    auto first = std::make_shared<FakeElement>();
    auto second = std::make_shared<FakeElement>();
    buttons.ShowPressed(first);
    buttons.ShowPressed(second);
    EXPECT_EQ(buttons.Pressed(), second.get());
    EXPECT_EQ(first.use_count(), 1);
}

TEST(PictureButtons, ReleaseButtonHoversThenClicks) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    FakeElement e;
    buttons.Release(e);
    EXPECT_EQ(e.positions, (std::vector<int>{-60}));
    EXPECT_EQ(e.clicks, 1);
}

TEST(PictureButtons, AnElementWithoutStyleIsLeftAlone) {
    FakeCapture capture;
    PictureButtons buttons(capture);
    FakeElement e;
    e.hasStyle = false;
    buttons.ShowHover(e);
    buttons.ShowNormal(e);
    EXPECT_TRUE(e.positions.empty());
}

TEST(ElementEvents, ClassNamesMatchExactlyAndTagsWithoutCase) {
    const ElementEventTable table = DialogElementEvents();
    const ElementEventEntry* hit = FindElementEvent(table, ev::MouseOver, L"button", L"A");
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->Action, ElementAction::ShowButtonHover);
    EXPECT_EQ(FindElementEvent(table, ev::MouseOver, L"Button", L"A"), nullptr);
    EXPECT_EQ(FindElementEvent(table, ev::MouseOver, L"button big", L"A"), nullptr);
    const ElementEventEntry* body = FindElementEvent(table, ev::MouseDown, L"", L"BODY");
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->Action, ElementAction::DragDown);
    EXPECT_EQ(FindElementEvent(table, ev::MouseDown, L"", L"Td")->Action, ElementAction::DragDown);
    EXPECT_EQ(FindElementEvent(table, ev::MouseMove, L"", L"div")->Action, ElementAction::DragMove);
    EXPECT_EQ(FindElementEvent(table, ev::MouseUp, L"", L"DIV")->Action, ElementAction::DragUp);
    EXPECT_EQ(FindElementEvent(table, ev::ContextMenu, L"", L"body")->Action, ElementAction::Nothing);
    EXPECT_EQ(FindElementEvent(table, ev::MouseDown, L"", L"span"), nullptr);
    EXPECT_EQ(FindElementEvent(table, 12345, L"button", L"body"), nullptr);
}

TEST(ElementEvents, TheFirstMatchingEntryWins) {
    // A "button" that is also a div: the class entries come first.
    const ElementEventTable table = DialogElementEvents();
    EXPECT_EQ(FindElementEvent(table, ev::MouseDown, L"button", L"DIV")->Action,
              ElementAction::ShowButtonPressed);
    EXPECT_EQ(FindElementEvent(table, ev::MouseUp, L"button", L"DIV")->Action, ElementAction::ReleaseButton);
    // Mouse-move of a button has no class entry, so its tag decides.
    EXPECT_EQ(FindElementEvent(table, ev::MouseMove, L"button", L"DIV")->Action, ElementAction::DragMove);
}

TEST(ElementEvents, TheLoginTableOnlyDrags) {
    const ElementEventTable table = LoginElementEvents();
    EXPECT_EQ(table.Count, 9u);
    EXPECT_EQ(FindElementEvent(table, ev::MouseOver, L"button", L"A"), nullptr);
    EXPECT_EQ(FindElementEvent(table, ev::MouseDown, L"button", L"A"), nullptr);
    EXPECT_EQ(FindElementEvent(table, ev::ContextMenu, L"", L"BODY"), nullptr);
    EXPECT_EQ(FindElementEvent(table, ev::MouseDown, L"", L"TD")->Action, ElementAction::DragDown);
    EXPECT_EQ(FindElementEvent(table, ev::MouseUp, L"", L"body")->Action, ElementAction::DragUp);
    EXPECT_EQ(FindElementEvent(table, ev::MouseMove, L"", L"Div")->Action, ElementAction::DragMove);
}

TEST(ElementEvents, AnEmptyTableFindsNothing) {
    EXPECT_EQ(FindElementEvent(ElementEventTable{}, ev::MouseDown, L"", L"body"), nullptr);
}
