// The account title the login sends and the account the launcher reads back from it.
#include <gtest/gtest.h>

#include "protocol/AccountTitle.h"

using namespace zarn;

TEST(AccountTitle, TheLauncherReadsBackTheAccountTheLoginWrote) {
    EXPECT_EQ(AccountTitle(L"5", L"双线", L"abc"), L"5服-双线-abc");
    EXPECT_EQ(AccountOfTitle(AccountTitle(L"5", L"双线", L"abc")), L"abc");
    EXPECT_EQ(AccountOfTitle(AccountTitle(L"", L"", L"")), L"");
}

TEST(AccountTitle, TheAccountIsTheTextAfterTheLastDash) {
    EXPECT_EQ(AccountOfTitle(L"s1服-2-player"), L"player");
    EXPECT_EQ(AccountOfTitle(L"s1服-2-a-b"), L"b");
    EXPECT_EQ(AccountOfTitle(L"nodash"), L"nodash");
    EXPECT_EQ(AccountOfTitle(L"ends-"), L"");
}
