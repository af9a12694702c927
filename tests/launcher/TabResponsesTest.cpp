// Which game frames answer: one question at a time per frame, not responding once a question waited
// longer than the limit or a question outside the ticks went unanswered, responding again on an answer.
#include <gtest/gtest.h>

#include "launcher/TabResponses.h"

using namespace zarn;

using Frames = std::vector<int>;

TEST(TabResponses, EachFrameHasOneQuestionOutstandingAndStopsAnsweringPastTheLimit) {
    TabResponses<int> responses;
    auto tick = responses.OnTick({1, 2}, 1000);
    EXPECT_EQ(tick.Ask, (Frames{1, 2}));
    EXPECT_TRUE(tick.StoppedAnswering.empty());
    EXPECT_FALSE(responses.Answered(1));
    tick = responses.OnTick({1, 2}, 1400);
    EXPECT_EQ(tick.Ask, Frames{1}) << "2 has not answered its question yet";
    tick = responses.OnTick({1, 2}, 6000);
    EXPECT_TRUE(tick.StoppedAnswering.empty()) << "5000 ms is still within the limit";
    tick = responses.OnTick({1, 2}, 6001);
    EXPECT_EQ(tick.StoppedAnswering, Frames{2});
    EXPECT_TRUE(responses.NotResponding(2));
    EXPECT_FALSE(responses.NotResponding(1));
    EXPECT_FALSE(responses.Answered(1));
    tick = responses.OnTick({1, 2}, 9000);
    EXPECT_TRUE(tick.StoppedAnswering.empty()) << "told once";
    EXPECT_EQ(tick.Ask, Frames{1});
    EXPECT_TRUE(responses.Answered(2)) << "it answers again";
    EXPECT_FALSE(responses.NotResponding(2));
    EXPECT_EQ(responses.OnTick({1, 2}, 9400).Ask, Frames{2});
}

TEST(TabResponses, AQuestionOutsideTheTicksCanMarkAFrameAtOnce) {
    TabResponses<int> responses;
    EXPECT_TRUE(responses.MarkNotResponding(7));
    EXPECT_FALSE(responses.MarkNotResponding(7)) << "no news the second time";
    EXPECT_TRUE(responses.NotResponding(7));
    EXPECT_EQ(responses.OnTick({7}, 100).Ask, Frames{7}) << "asked whether it answers again";
    EXPECT_TRUE(responses.OnTick({7}, 60000).StoppedAnswering.empty()) << "already counted";
    EXPECT_TRUE(responses.Answered(7));
}

TEST(TabResponses, TheClockMayWrapAndFramesThatWentAreForgotten) {
    TabResponses<int> responses;
    responses.OnTick({3}, 0xFFFFF000u);
    EXPECT_TRUE(responses.OnTick({3}, 0x00000100u).StoppedAnswering.empty()) << "4352 ms later";
    EXPECT_EQ(responses.OnTick({3}, 0x00001000u).StoppedAnswering, Frames{3});
    responses.OnTick({}, 0x2000u);
    EXPECT_FALSE(responses.NotResponding(3));
    EXPECT_FALSE(responses.Answered(3)) << "an answer of a frame that went changes nothing";
    EXPECT_EQ(responses.OnTick({3}, 0x3000u).Ask, Frames{3});
}
