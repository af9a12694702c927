// The game area: where the launcher and a game process both put a game window.
#include <gtest/gtest.h>

#include "protocol/GameArea.h"

using namespace zarn;

TEST(GameArea, TheClientAreaLessTheFrameAndTheCaption) {
    EXPECT_EQ(GameArea(1280, 800), (skin::Edges{4, 30, 1276, 796}));
    EXPECT_EQ(GameArea(8, 34), (skin::Edges{4, 30, 4, 30}));
}
