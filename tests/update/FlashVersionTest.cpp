// The Flash Player version comparison against the minimum 10,3,102,64.
#include "update/FlashVersion.h"

#include <gtest/gtest.h>

using namespace zarn;

TEST(FlashVersion, StrictlyNewerThanTheMinimumIsCurrent) {
    EXPECT_TRUE(IsFlashVersionNewer(L"11,0,1,152")); // first field decides
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,183,7")); // third field decides
    EXPECT_TRUE(IsFlashVersionNewer(L"10,4,0,0"));
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,102,65")); // fourth field decides
    EXPECT_TRUE(IsFlashVersionNewer(L"32,0,0,465"));
}

TEST(FlashVersion, EqualOrOlderIsNotCurrent) {
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,64"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,2,999,0"));
    EXPECT_FALSE(IsFlashVersionNewer(L"9,0,280,0"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,63"));
}

TEST(FlashVersion, ShortAndMalformedTextsFollowTheFieldRule) {
    // The left-over "3" is taken whole again in the third pass and loses to 102.
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3"));
    // "10,4" is decided in the second pass.
    EXPECT_TRUE(IsFlashVersionNewer(L"10,4"));
    EXPECT_FALSE(IsFlashVersionNewer(L""));
    EXPECT_FALSE(IsFlashVersionNewer(L"abc"));
    EXPECT_FALSE(IsFlashVersionNewer(L",,,"));
    EXPECT_TRUE(IsFlashVersionNewer(L"11"));             // 11 against 10 at once
    EXPECT_TRUE(IsFlashVersionNewer(L" 11,0,0,0"));      // leading blanks as wcstol allows
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,64,1")); // only four fields count
    EXPECT_FALSE(IsFlashVersionNewer(L"-11,0,0,0"));
    EXPECT_TRUE(IsFlashVersionNewer(L"99999999999,0,0,0")); // clamps, still larger
}

TEST(FlashVersion, TheReferenceCanBeGiven) {
    EXPECT_TRUE(IsFlashVersionNewer(L"1,2,3,5", L"1,2,3,4"));
    EXPECT_FALSE(IsFlashVersionNewer(L"1,2,3,4", L"1,2,3,4"));
}
