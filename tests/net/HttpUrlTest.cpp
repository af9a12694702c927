// Address splitting, the scheme test, the allowed-domain test, redirect targets and the progress
// percentage.
#include "net/HttpUrl.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {

const std::array<std::wstring_view, 3> Domains = {L"localhost", L"zarn-dl.test", L"zarn-cdn.test"};

TEST(SplitHttpUrl, HostPortAndObject) {
    auto t = SplitHttpUrl(SkipScheme(L"HTTP://host:8080/a/b?c=d"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Host, L"host");
    EXPECT_EQ(t->Port, 8080);
    EXPECT_EQ(t->Object, L"a/b?c=d");

    t = SplitHttpUrl(L"stats.example:80/install.htm?tag=zarn&ver=3.0.0.2&count=3");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Object, L"install.htm?tag=zarn&ver=3.0.0.2&count=3");
}

TEST(SplitHttpUrl, MissingPartsTakeTheirDefaults) {
    auto t = SplitHttpUrl(L"host");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Host, L"host");
    EXPECT_EQ(t->Port, 80);
    EXPECT_EQ(t->Object, L"");
    t = SplitHttpUrl(L"host/");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Object, L"");
    // The port reads like wcstol and is cut to 16 bits.
    EXPECT_EQ(SplitHttpUrl(L"host:abc/x")->Port, 0);
    EXPECT_EQ(SplitHttpUrl(L"host:65617/x")->Port, 81);
    EXPECT_EQ(SplitHttpUrl(L"host:81x/x")->Port, 81);
    // Only the first colon cuts the host; a colon in the object name does not.
    EXPECT_EQ(SplitHttpUrl(L"host/a:1")->Port, 80);
    EXPECT_EQ(SplitHttpUrl(L"host/a:1")->Host, L"host");
}

TEST(SplitHttpUrl, RefusesEmptyAndOverlongParts) {
    EXPECT_FALSE(SplitHttpUrl(L""));
    EXPECT_FALSE(SplitHttpUrl(L"/path"));
    EXPECT_FALSE(SplitHttpUrl(L":80/path"));
    const std::wstring host259(259, L'h'), host260(260, L'h');
    EXPECT_TRUE(SplitHttpUrl(host259 + L"/x"));
    EXPECT_FALSE(SplitHttpUrl(host260 + L"/x"));
    EXPECT_FALSE(SplitHttpUrl(std::wstring(255, L'h') + L":12345/x")) << "host with port is too long";
    const std::wstring object511(511, L'o'), object512(512, L'o');
    EXPECT_EQ(SplitHttpUrl(L"h/" + object511)->Object, object511);
    EXPECT_FALSE(SplitHttpUrl(L"h/" + object512)) << "never cut into a shorter address";
}

TEST(HttpScheme, ComparedWithoutCaseOverItsLength) {
    EXPECT_TRUE(HasHttpScheme(L"http://a"));
    EXPECT_TRUE(HasHttpScheme(L"HtTp://"));
    EXPECT_FALSE(HasHttpScheme(L"https://a"));
    EXPECT_FALSE(HasHttpScheme(L"http:/"));
    EXPECT_FALSE(HasHttpScheme(L""));
    EXPECT_EQ(SkipScheme(L"ftps://a/b"), L"a/b") << "downloads skip seven characters without looking";
    EXPECT_EQ(SkipScheme(L"short"), L"");
}

TEST(AllowedDomain, TheHostMustBeADomainOrBelowOne) {
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://localhost:8080/files/Zarn.exe", Domains));
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://zarn-dl.test/Zarn.exe", Domains));
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://dl1.zarn-cdn.test/Zarn.exe", Domains));
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://DL.Zarn-CDN.Test/Zarn.exe", Domains));
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://localhost", Domains));
}

TEST(AllowedDomain, ADomainElsewhereInTheUrlDoesNotPass) {
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://127.0.0.1:8080/files/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://evil.example/Zarn.exe?from=zarn-dl.test", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://evil.example/zarn-dl.test/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://evilzarn-dl.test/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://zarn-dl.test.evil.example/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://localhost@evil.example/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://evil.example\\.localhost/Zarn.exe", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://", Domains));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"", Domains));
    const std::array<std::wstring_view, 3> none = {L"", L"", L""};
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://localhost/", none));
}

TEST(Redirect, OnlyTheStatusesThatNameAnotherAddress) {
    for (long status : {301, 302, 303, 307, 308})
        EXPECT_TRUE(IsRedirectStatus(status)) << status;
    for (long status : {200, 300, 304, 305, 306, 404, 0, -1})
        EXPECT_FALSE(IsRedirectStatus(status)) << status;
}

TEST(Redirect, LocationsResolveAgainstTheAddressThatAnswered) {
    const std::wstring_view current = L"http://localhost:8080/files/a/get.htm?x=1";
    auto resolve = [&](std::wstring_view location) {
        return ResolveRedirect(current, location).value_or(L"-");
    };
    EXPECT_EQ(resolve(L"http://zarn-dl.test/Zarn.exe"), L"http://zarn-dl.test/Zarn.exe");
    EXPECT_EQ(resolve(L"HTTP://zarn-dl.test"), L"http://zarn-dl.test/") << "no path: the root";
    EXPECT_EQ(resolve(L"//cdn.zarn-cdn.test:81/z?q"), L"http://cdn.zarn-cdn.test:81/z?q");
    EXPECT_EQ(resolve(L"/other/Zarn.exe"), L"http://localhost:8080/other/Zarn.exe");
    EXPECT_EQ(resolve(L"Zarn.exe?v=2"), L"http://localhost:8080/files/a/Zarn.exe?v=2");
    EXPECT_EQ(resolve(L"../b/./Zarn.exe"), L"http://localhost:8080/files/b/Zarn.exe");
    EXPECT_EQ(resolve(L"../../../../x"), L"http://localhost:8080/x") << "never above the root";
    EXPECT_EQ(resolve(L"?y=2"), L"http://localhost:8080/files/a/get.htm?y=2");
    EXPECT_EQ(resolve(L"./"), L"http://localhost:8080/files/a/");
    EXPECT_EQ(resolve(L".."), L"http://localhost:8080/files/");
    EXPECT_EQ(resolve(L"/a//b/"), L"http://localhost:8080/a//b/");
    EXPECT_EQ(resolve(L"/x#fragment"), L"http://localhost:8080/x");
    EXPECT_EQ(ResolveRedirect(L"http://localhost", L"x").value_or(L"-"), L"http://localhost/x");
    // The other host's name survives resolution, so the domain test judges where it really goes.
    EXPECT_EQ(resolve(L"http://localhost@evil.example/"), L"http://localhost@evil.example/");
    EXPECT_FALSE(IsAllowedDownloadUrl(resolve(L"//127.0.0.1:8080/files/Zarn.exe"), Domains));
    EXPECT_TRUE(IsAllowedDownloadUrl(resolve(L"/files/Zarn.exe"), Domains));
}

TEST(Redirect, WhatCannotBeFollowedIsRefused) {
    const std::wstring_view current = L"http://localhost/files/get.htm";
    for (std::wstring_view location :
         {L"", L"#only", L"https://zarn-dl.test/Zarn.exe", L"ftp://zarn-dl.test/Zarn.exe",
          L"file:///C:/x.exe", L"javascript:alert(1)", L"http:/zarn-dl.test/x", L"http:zarn-dl.test",
          L"http://", L"///x", L"/\\evil.example/x", L"http:\\\\evil.example", L"/a b", L"/a\tb", L"/\u4e2d",
          L"/a\r\nSet-Cookie: x=1", L"localhost:80/x"})
        EXPECT_FALSE(ResolveRedirect(current, location)) << testing::PrintToString(std::wstring(location));
    EXPECT_FALSE(ResolveRedirect(L"ftp://localhost/x", L"/y")) << "only from an http address";
}

TEST(ProgressPercent, NeverDividesByZeroNorOverflows) {
    EXPECT_EQ(ProgressPercent(0, 0), 100u);
    EXPECT_EQ(ProgressPercent(0, 1000), 0u);
    EXPECT_EQ(ProgressPercent(512, 1024), 50u);
    EXPECT_EQ(ProgressPercent(1024, 1024), 100u);
    EXPECT_EQ(ProgressPercent(4000, 1024), 100u);
    EXPECT_EQ(ProgressPercent(3000000000u, 4000000000u), 75u) << "no 32-bit wrap of total * 100";
}

} // namespace
