// Which frames register, the launcher's tabs and titles kept in step, the account of a title and the
// login report's address.
#include <set>

#include <gtest/gtest.h>

#include "launcher/HotKey.h"
#include "launcher/TabList.h"

using namespace zarn;

TEST(FrameRegistration, OnlyTheProcessesTheLauncherWaitsFor) {
    constexpr uint32_t login = 40, hall = 44, other = 48;
    EXPECT_EQ(ClassifyFrame(login, login, hall, 0), FrameKind::Tab);
    EXPECT_EQ(ClassifyFrame(login, login, 0, 2), FrameKind::Tab);
    EXPECT_EQ(ClassifyFrame(hall, login, hall, 0), FrameKind::Hall);
    EXPECT_EQ(ClassifyFrame(hall, 0, hall, 3), FrameKind::Hall) << "the hall is no tab";
    EXPECT_EQ(ClassifyFrame(other, login, hall, 0), FrameKind::Refused) << "a process it did not start";
    EXPECT_EQ(ClassifyFrame(login, 0, hall, 0), FrameKind::Refused) << "a login no longer waited for";
    EXPECT_EQ(ClassifyFrame(0, 0, 0, 0), FrameKind::Refused) << "no process";
    EXPECT_EQ(ClassifyFrame(login, login, hall, 3), FrameKind::Refused) << "never past the limit";
    EXPECT_EQ(ClassifyFrame(login, login, hall, 7), FrameKind::Refused);
}

TEST(TabList, TitlesAndFramesPairByOrderOfEvents) {
    TabList<int> tabs;
    EXPECT_TRUE(tabs.AcceptTitle(L"a"));
    EXPECT_EQ(tabs.TitleCount(), 1);
    EXPECT_EQ(tabs.Register(10), 0);
    EXPECT_TRUE(tabs.AcceptTitle(L"b"));
    EXPECT_EQ(tabs.Register(11), 1);
    EXPECT_EQ(tabs.TitleAt(0), L"a");
    EXPECT_EQ(tabs.TitleAt(1), L"b");
    EXPECT_FALSE(tabs.AcceptTitle(L"a")) << "open here already";
    EXPECT_FALSE(tabs.AcceptTitle(L"b"));
    EXPECT_TRUE(tabs.AcceptTitle(L"A")) << "case-sensitive";
}

TEST(TabList, ATitleWhoseFrameNeverCameShiftsNoLaterTab) {
    TabList<int> tabs;
    tabs.AcceptTitle(L"one");
    tabs.Register(1);
    tabs.AcceptTitle(L"lost"); // its process failed after the login
    tabs.AcceptTitle(L"two");
    EXPECT_EQ(tabs.TitleCount(), 2);
    tabs.Register(2);
    EXPECT_EQ(tabs.TitleAt(1), L"two");
    EXPECT_TRUE(tabs.AcceptTitle(L"lost")) << "a forgotten title may log in again";
}

TEST(TabList, ALoginThatEndedWithoutItsFrameTakesItsTitleAlong) {
    TabList<int> tabs;
    tabs.AcceptTitle(L"one");
    tabs.Register(1);
    tabs.AcceptTitle(L"gone");
    tabs.DropWaitingTitle();
    EXPECT_EQ(tabs.TitleCount(), 1);
    EXPECT_TRUE(tabs.AcceptTitle(L"gone")) << "the account may log in again at once";
    tabs.DropWaitingTitle();
    tabs.DropWaitingTitle();
    EXPECT_EQ(tabs.TitleAt(0), L"one") << "registered tabs keep theirs";
}

TEST(TabList, AFrameWithoutATitleShowsNoOtherAccount) {
    TabList<int> tabs;
    tabs.AcceptTitle(L"one");
    tabs.Register(1);
    tabs.Register(2); // registered without a login
    EXPECT_EQ(tabs.TitleAt(1), L"");
    tabs.AcceptTitle(L"three");
    tabs.Register(3);
    EXPECT_EQ(tabs.TitleAt(2), L"three");
}

TEST(TabList, RemovingSelectsTheTabThatMovedIntoThePlace) {
    TabList<int> tabs;
    for (int i = 0; i < 3; ++i) {
        tabs.AcceptTitle(std::to_wstring(i));
        tabs.Register(i);
    }
    EXPECT_EQ(tabs.Remove(0), 0);
    EXPECT_EQ(tabs.WindowAt(0), 1);
    EXPECT_EQ(tabs.TitleAt(0), L"1");
    EXPECT_EQ(tabs.Remove(1), 0) << "the last tab went: the new last one";
    EXPECT_EQ(tabs.Remove(5), -1);
    EXPECT_EQ(tabs.Count(), 1);
    EXPECT_EQ(tabs.Next(0), 0);
    EXPECT_EQ(tabs.WindowAt(7), 0) << "no such tab";
}

TEST(LoginReport, AccountAndAddress) {
    EXPECT_EQ(AccountOfTitle(L"s1服-2-player"), L"player");
    EXPECT_EQ(AccountOfTitle(L"s1服-2-a-b"), L"b");
    EXPECT_EQ(AccountOfTitle(L"nodash"), L"nodash");
    EXPECT_EQ(AccountOfTitle(L"ends-"), L"");
    EXPECT_EQ(LoginReportPath(L"player", 2), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=player&index=2");
    EXPECT_EQ(LoginReportPath(L"a&b=c", 1), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=a%26b%3Dc&index=1")
        << "an account cannot add to the query";
    EXPECT_EQ(LoginReportPath(L"玩家", 1), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=%E7%8E%A9%E5%AE%B6&index=1");
    const std::wstring path = LoginReportPath(std::wstring(500, L'中'), 3);
    EXPECT_LE(path.size(), 400u) << "fits the program's URLs with the host";
    EXPECT_EQ(path.substr(path.size() - 8), L"&index=3");
    EXPECT_EQ(path.find(L"%E4%B8%AD&"), path.size() - 17) << "cut after a whole character";
}

TEST(HotKeyMatch, ExactModifiersAndTheTrackedMask) {
    const HotKey boss{121, 0};
    EXPECT_TRUE(MatchesHotKey(boss, 121, 0));
    EXPECT_FALSE(MatchesHotKey(boss, 121, 2 | 4)) << "Ctrl+Shift+F10 is not F10";
    EXPECT_FALSE(MatchesHotKey(HotKey{}, -1, 0)) << "unread keys match nothing";
    ModifierTracker held;
    held.OnKey(0xA2, true); // left Ctrl
    held.OnKey(0xA1, true); // right Shift
    EXPECT_EQ(held.Mask(), 2 | 4);
    held.OnKey(0xA1, false);
    EXPECT_EQ(held.Mask(), 2);
    held.OnKey(0x12, true); // generic Alt, as an initial reading gives it
    held.OnKey(0xA4, false);
    EXPECT_EQ(held.Mask(), 2) << "releasing left Alt clears the generic reading";
    held.OnKey(0x51, true); // Q is no modifier
    EXPECT_EQ(held.Mask(), 2);
}

// A release the stream lost: the physical state denies the followed Ctrl, and reading it again gives
// the keys that are down, whichever of the generic, left and right codes says so.
TEST(HotKeyMatch, TheTrackedMaskFollowsThePhysicalStateAgain) {
    ModifierTracker held;
    held.OnKey(0xA3, true); // right Ctrl, whose release never comes
    std::set<int> down;
    const auto physical = [&](int vk) { return down.count(vk) != 0; };
    EXPECT_TRUE(held.Denied(physical));
    down = {0x11};
    EXPECT_FALSE(held.Denied(physical)) << "the generic code says Ctrl is down";
    down = {0xA2};
    EXPECT_FALSE(held.Denied(physical)) << "so does left Ctrl";
    down = {0xA0, 0x10};
    EXPECT_TRUE(held.Denied(physical)) << "Shift is no Ctrl";
    held.Resync(physical);
    EXPECT_EQ(held.Mask(), 4);
    EXPECT_FALSE(held.Denied(physical));
    held.OnKey(0xA0, false);
    EXPECT_EQ(held.Mask(), 0) << "the release of left Shift clears the generic reading too";
    down = {0x12};
    held.Resync(physical);
    EXPECT_EQ(held.Mask(), 1);
    EXPECT_TRUE(ModifierTracker::IsModifier(0xA5));
    EXPECT_FALSE(ModifierTracker::IsModifier(0x79)) << "F10";
}
