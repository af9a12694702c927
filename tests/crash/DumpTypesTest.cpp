// The order of the dump types: a system that refuses the richer ones still gets a normal dump.
#include "crash/DumpTypes.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zarn;

TEST(DumpTypes, TheRichestAcceptedTypeIsWrittenAndNothingAfterIt) {
    std::vector<uint32_t> tried;
    EXPECT_EQ(WriteFirstAcceptedDump([&](uint32_t type) {
                  tried.push_back(type);
                  return true;
              }),
              0x1A25);
    EXPECT_EQ(tried, (std::vector<uint32_t>{0x1A25}));
}

TEST(DumpTypes, RefusedTypesFallBackToANormalDump) {
    std::vector<uint32_t> tried;
    EXPECT_EQ(WriteFirstAcceptedDump([&](uint32_t type) {
                  tried.push_back(type);
                  return type == 0;
              }),
              0);
    EXPECT_EQ(tried, (std::vector<uint32_t>{0x1A25, 0x225, 0}));
    EXPECT_EQ(WriteFirstAcceptedDump([](uint32_t type) { return type == 0x225; }), 0x225);
    EXPECT_EQ(WriteFirstAcceptedDump([](uint32_t) { return false; }), -1);
}
