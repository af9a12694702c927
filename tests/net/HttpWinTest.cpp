// The WinINet sequence against the local portal: the report GET and the streaming of a body into a
// file, with the status, length, redirect and cancel rules.
#include "net/Http_win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "BuildHosts.h"
#include "support/NetTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class Http : public ::testing::Test {
  protected:
    void SetUp() override {
        PortalControl(L"/__portal/reset");
        Folder = MakeScratchFolder(L"http");
        Target = Folder + L"\\body.bin";
        LogStart = PortalLog().size();
    }
    void TearDown() override { PortalControl(L"/__portal/reset"); }

    static HttpTarget Portal(const std::wstring& object) {
        return *SplitHttpUrl(build::StatsHost + (L"/" + object));
    }
    static std::wstring Port() {
        const std::wstring host = build::StatsHost;
        return host.substr(host.find(L':') + 1);
    }
    // The portal's redirect to `to` (relative, or absolute), through `hops` redirects.
    static std::wstring Redirect(const std::wstring& to, int hops = 1, int status = 302) {
        return L"redirect?to=" + QueryEscape(to) + L"&hops=" + std::to_wstring(hops) + L"&status=" +
               std::to_wstring(status);
    }
    // The portal under its name in the allowed domains.
    static HttpTarget Local(const std::wstring& object) {
        return *SplitHttpUrl(L"localhost:" + Port() + L"/" + object);
    }
    bool Stream(const std::wstring& object, size_t piece = 512) { return StreamFrom(Portal(object), piece); }
    bool StreamFrom(const HttpTarget& target, size_t piece = 512) {
        Transfer transfer;
        StreamOptions options;
        options.PieceSize = piece;
        return transfer.StreamToFile(target, Target, options);
    }

    std::wstring Folder, Target;
    size_t LogStart = 0;
};

TEST_F(Http, SendGetGoesToHostPortAndObject) {
    const std::wstring host = build::StatsHost;
    EXPECT_EQ(HttpSendGet(L"HTTP://" + host + L"/a/b?c=d", L""), 1);
    EXPECT_EQ(::GetLastError(), 0u);
    EXPECT_EQ(HttpSendGet(L"http://" + host, L""), 1) << "no path: the empty object name";
    EXPECT_EQ(LoggedPaths(LogStart, "/"), (std::vector<std::string>{"/a/b?c=d", "/"}));
    EXPECT_EQ(LoggedHeader(LogStart, "/a/b", "User-Agent"), "ZUD");
}

TEST_F(Http, SendGetRefusesWhatItCannotSend) {
    EXPECT_EQ(HttpSendGet(L"https://" + std::wstring(build::StatsHost) + L"/x", L""), 0);
    EXPECT_NE(::GetLastError(), 0u);
    EXPECT_EQ(HttpSendGet(L"http://" + std::wstring(build::StatsHost) + L"/" + std::wstring(600, L'x'), L""),
              0)
        << "an over-long object name is refused, not cut";
    EXPECT_EQ(HttpSendGet(L"http:///x", L""), 0);
    EXPECT_TRUE(LoggedPaths(LogStart, "/").empty());
    // A port nobody listens on fails at once with the connect error.
    EXPECT_EQ(HttpSendGet(L"http://127.0.0.1:9/x", L""), 0);
    EXPECT_NE(::GetLastError(), 0u);
}

TEST_F(Http, StreamsAWholeBodyInSmallPieces) {
    EXPECT_TRUE(Stream(L"files/blob?size=100000"));
    EXPECT_EQ(ReadFileBytes(Target).size(), 100000u);
    EXPECT_TRUE(Stream(L"files/blob?size=0")) << "an announced length of 0 is complete";
    EXPECT_EQ(ReadFileBytes(Target).size(), 0u);
}

TEST_F(Http, StatusAndLengthRules) {
    PortalControl(L"/__portal/fault?path=/files/blob&kind=500");
    EXPECT_TRUE(Stream(L"files/blob?size=5000"))
        << "a complete 500 reply is accepted where 2xx is not required";
    ::DeleteFileW(Target.c_str());
    PortalControl(L"/__portal/fault?path=/files/blob&kind=404");
    EXPECT_FALSE(Stream(L"files/blob?size=5000"));
    EXPECT_FALSE(FileExists(Target)) << "404 is refused before the file is opened";
    PortalControl(L"/__portal/fault?path=/files/blob&kind=nolength");
    EXPECT_FALSE(Stream(L"files/blob?size=5000"));
    EXPECT_FALSE(FileExists(Target));
    PortalControl(L"/__portal/fault?path=/files/blob&kind=short");
    EXPECT_FALSE(Stream(L"files/blob?size=50000"));
    const size_t partial = ReadFileBytes(Target).size();
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, 50000u) << "the partial file stays";
    EXPECT_TRUE(::DeleteFileW(Target.c_str())) << "and is closed";

    PortalControl(L"/__portal/fault?path=/files/blob&kind=500");
    Transfer transfer;
    StreamOptions strict;
    strict.RequireSuccessStatus = true;
    EXPECT_FALSE(transfer.StreamToFile(Portal(L"files/blob?size=5000"), Target, strict));
}

// Only addresses in the allowed domains are followed ("localhost" is one; "127.0.0.1", the same
// portal, is not), at most five times; a refused redirect writes nothing and requests nothing more.
TEST_F(Http, RedirectsAreFollowedOnlyIntoTheAllowedDomains) {
    const std::wstring inside = L"http://localhost:" + Port() + L"/files/blob?size=3000";
    for (int status : {301, 302, 303, 307, 308}) {
        EXPECT_TRUE(Stream(Redirect(inside, 1, status))) << status;
        EXPECT_EQ(ReadFileBytes(Target).size(), 3000u) << status;
    }
    EXPECT_TRUE(StreamFrom(Local(Redirect(L"/files/blob?size=1200", 5)))) << "a relative target, five hops";
    EXPECT_EQ(ReadFileBytes(Target).size(), 1200u);
    EXPECT_TRUE(::DeleteFileW(Target.c_str()));
    const size_t before = PortalLog().size();

    EXPECT_FALSE(StreamFrom(Local(Redirect(L"/files/blob?size=1300", 6)))) << "a sixth hop";
    EXPECT_FALSE(StreamFrom(Local(Redirect(L"http://127.0.0.1:" + Port() + L"/files/blob?size=1400"))));
    EXPECT_FALSE(
        StreamFrom(Local(Redirect(L"http://127.0.0.1:" + Port() + L"/files/blob?size=1500&localhost"))));
    EXPECT_FALSE(StreamFrom(Local(Redirect(L"https://localhost:" + Port() + L"/files/blob?size=1600"))));
    EXPECT_FALSE(StreamFrom(Local(Redirect(L"//127.0.0.1:" + Port() + L"/files/blob?size=1700", 2))));
    // From the configuration host (127.0.0.1 here) a relative target is as far outside as its host.
    EXPECT_FALSE(Stream(Redirect(L"/files/blob?size=1800")));
    EXPECT_FALSE(FileExists(Target)) << "nothing is written for a redirect that is not followed";
    EXPECT_TRUE(LoggedPaths(before, "/files/").empty());
    EXPECT_EQ(LoggedPaths(before, "/redirect").size(), 6u + 1 + 1 + 1 + 2 + 1);

    // The report GET follows the same rule, and says why it failed.
    const std::wstring local = L"http://localhost:" + Port() + L"/";
    EXPECT_EQ(HttpSendGet(local + Redirect(L"http://127.0.0.1:" + Port() + L"/active.htm?out"), L""), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_HTTP_REDIRECT_FAILED));
    EXPECT_EQ(HttpSendGet(local + Redirect(L"/active.htm?in"), L""), 1);
    EXPECT_EQ(LoggedPaths(before, "/active.htm"), std::vector<std::string>{"/active.htm?in"});
}

TEST_F(Http, ProgressReachesOneHundredOnce) {
    std::vector<unsigned> seen;
    Transfer transfer;
    StreamOptions options;
    options.Progress = [&seen](unsigned percent) { seen.push_back(percent); };
    ASSERT_TRUE(transfer.StreamToFile(Portal(L"files/blob?size=200000"), Target, options));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
    EXPECT_EQ(transfer.Total(), 200000u);
    EXPECT_EQ(transfer.AnnouncedLength(), 200000u);
}

TEST_F(Http, CancelClosesTheFileAtOnce) {
    PortalControl(L"/__portal/fault?path=/files/blob&kind=stall&seconds=60");
    Transfer transfer;
    bool result = true;
    // Set by the first progress call, made after the first piece was written: the file is open.
    UniqueHandle written(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(written);
    std::thread worker([&] {
        StreamOptions options;
        options.Progress = [&written](unsigned) { ::SetEvent(written.get()); };
        result = transfer.StreamToFile(Portal(L"files/blob?size=400000"), Target, options);
    });
    EXPECT_EQ(::WaitForSingleObject(written.get(), 30000), WAIT_OBJECT_0) << "nothing arrived";
    transfer.Cancel();
    EXPECT_TRUE(::DeleteFileW(Target.c_str())) << "the output file is closed by the cancel itself";
    PortalControl(L"/__portal/reset"); // lets a read that stays blocked return
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_TRUE(transfer.Cancelled());
}

} // namespace
