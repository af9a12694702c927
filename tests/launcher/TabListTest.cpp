// Which frames register, the launcher's tabs and titles kept in step, the account of a title and the
// login report's address.
#include <gtest/gtest.h>

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

TEST(LoginReport, Address) {
    EXPECT_EQ(LoginReportPath(L"player", 2), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=player&index=2");
    EXPECT_EQ(LoginReportPath(L"a&b=c", 1), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=a%26b%3Dc&index=1")
        << "an account cannot add to the query";
    EXPECT_EQ(LoginReportPath(L"玩家", 1), L"/login.htm?tag=zarn&ver=3.0.0.2&uid=%E7%8E%A9%E5%AE%B6&index=1");
    const std::wstring path = LoginReportPath(std::wstring(500, L'中'), 3);
    EXPECT_LE(path.size(), 400u) << "fits the program's URLs with the host";
    EXPECT_EQ(path.substr(path.size() - 8), L"&index=3");
    EXPECT_EQ(path.find(L"%E4%B8%AD&"), path.size() - 17) << "cut after a whole character";
}
