// MD5 against the RFC 1321 test suite, piecewise feeding, and the version-key rules.
#include "update/Md5.h"
#include "update/VersionKey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace zarn;

namespace {

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecesGiveTheDigestOfTheWhole) {
    std::string data;
    for (int i = 0; i < 5000; ++i)
        data.push_back(static_cast<char>(i * 7 + i / 13));
    for (size_t len : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 5000u}) {
        const std::string whole = Md5Hex(std::string_view(data).substr(0, len));
        for (size_t piece : {1u, 3u, 64u, 100u}) {
            Md5 md5;
            for (size_t at = 0; at < len; at += piece)
                md5.Update(data.data() + at, std::min(piece, len - at));
            EXPECT_EQ(DigestHex(md5.Final()), whole) << len << "/" << piece;
        }
    }
}

TEST(Md5, OfStream) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string text(200000, 'a');
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    EXPECT_EQ(Md5OfStream(file), Md5Hex(text));
    std::fclose(file);
    EXPECT_EQ(Md5OfStream(nullptr), "");
}

TEST(VersionKey, First28DigitsAndTheVersionDigits) {
    EXPECT_EQ(VersionKeyOf("900150983cd24fb0d6963f7d28e17f72", L"3002"), L"900150983cd24fb0d6963f7d28e13002");
    EXPECT_EQ(VersionKeyOf("", L"3002"), L"");
    const std::wstring own = L"900150983cd24fb0d6963f7d28e13002";
    EXPECT_FALSE(KeysDiffer(own, own));
    EXPECT_FALSE(KeysDiffer(L"900150983CD24FB0D6963F7D28E13002", own)) << "letter case does not count";
    EXPECT_TRUE(KeysDiffer(L"900150983cd24fb0d6963f7d28e13001", own)) << "an older build too";
    EXPECT_FALSE(KeysDiffer(L"", own)) << "no published key, no update";
    EXPECT_FALSE(KeysDiffer(L"abc", L"")) << "no own digest, no update";
}

TEST(VersionKey, DownloadedDigestMustMatchThePublishedKey) {
    const std::string md5 = "900150983cd24fb0d6963f7d28e17f72";
    EXPECT_TRUE(DigestMatchesKey(md5, L"900150983cd24fb0d6963f7d28e13003"));
    EXPECT_TRUE(DigestMatchesKey(md5, L"900150983CD24FB0D6963F7D28E1"));
    EXPECT_FALSE(DigestMatchesKey(md5, L"900150983cd24fb0d6963f7d28e23003"));
    EXPECT_FALSE(DigestMatchesKey(md5, L"900150983cd24fb0d6963f7d28e"));
    EXPECT_FALSE(DigestMatchesKey("", L"900150983cd24fb0d6963f7d28e13003"));
}

} // namespace
