// The program download and swap in-process, with a scratch file standing in for the program: a
// complete checked download swaps; every failure, and a cancel in the middle, ends the dialog with
// IDCANCEL, leaves the program untouched and leaves nothing open.
#include "update/SelfUpdate_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "BuildHosts.h"
#include "app/Plexo3App_win.h"
#include "support/NetTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "update/Md5.h"
#include "update/VersionKey.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const std::string OldBytes = "the running program, version one";

class SelfUpdate : public ::testing::Test {
  protected:
    void SetUp() override {
        PortalControl(L"/__portal/reset");
        Folder = MakeScratchFolder(L"selfupdate");
        Program = Folder + L"\\Zarn.exe";
        WriteBytes(Program, OldBytes);
        Payload.clear();
        for (int i = 0; i < 300000; ++i)
            Payload.push_back(static_cast<char>((i * 131) ^ (i >> 7)));
        WriteBytes(Folder + L"\\payload.bin", Payload);
        ASSERT_TRUE(PortalControl(L"/__portal/file?path=/files/NewZarn.exe&src=" +
                                  QueryEscape(UnixPath(Folder + L"\\payload.bin"))));
        App.UpdateAddress = L"http://localhost:" + Port() + L"/files/NewZarn.exe";
        App.UpdateKey = VersionKeyOf(Md5Hex(Payload), L"3003");
    }
    void TearDown() override { PortalControl(L"/__portal/reset"); }

    static std::wstring Port() {
        const std::wstring host = build::StatsHost;
        return host.substr(host.find(L':') + 1);
    }
    static std::wstring UnixPath(std::wstring path) {
        for (auto& c : path)
            if (c == L'\\')
                c = L'/';
        return path.substr(2); // drop "Z:"
    }
    static void WriteBytes(const std::wstring& path, const std::string& bytes) {
        std::ofstream out(path.c_str(), std::ios::binary);
        out << bytes;
    }
    std::wstring New() const { return Folder + L"\\NewZarn.exe"; }
    std::wstring Old() const { return Folder + L"\\OldZarn.exe"; }

    // A failed update: the program is untouched, and the partial file (if any) can go at once.
    void ExpectFailedAndClean() {
        EXPECT_EQ(ReadFileBytes(Program), OldBytes);
        EXPECT_FALSE(FileExists(Old()));
        if (FileExists(New())) {
            EXPECT_TRUE(::DeleteFileW(New().c_str())) << "partial file still open: " << ::GetLastError();
        }
    }

    CPlexo3App App;
    std::wstring Folder, Program;
    std::string Payload;
};

TEST_F(SelfUpdate, ACompleteCheckedDownloadSwapsTheProgram) {
    ASSERT_TRUE(DownloadAndSwap(App, Program));
    EXPECT_EQ(App.UpdateDialog.FinalPosition(), 100u) << "the bar reaches 100 before IDOK";
    EXPECT_EQ(ReadFileBytes(Program), Payload);
    EXPECT_EQ(ReadFileBytes(Old()), OldBytes);
    EXPECT_FALSE(FileExists(New()));
    EXPECT_EQ(Md5OfFile(Program), Md5Hex(Payload));
    EXPECT_EQ(VersionKey(Program), VersionKeyOf(Md5Hex(Payload), L"3002"));
}

TEST_F(SelfUpdate, WithoutAPublishedKeyTheLengthDecides) {
    App.UpdateKey.clear();
    ASSERT_TRUE(DownloadAndSwap(App, Program));
    EXPECT_EQ(ReadFileBytes(Program), Payload);
}

TEST_F(SelfUpdate, ServerFaultsFail) {
    for (const wchar_t* kind : {L"404", L"500", L"nolength", L"short"}) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(PortalControl(std::wstring(L"/__portal/fault?path=/files/NewZarn.exe&kind=") + kind));
        EXPECT_FALSE(DownloadAndSwap(App, Program));
        ExpectFailedAndClean();
    }
}

TEST_F(SelfUpdate, ADigestMismatchFails) {
    App.UpdateKey = L"0123456789abcdef0123456789ab3003";
    EXPECT_FALSE(DownloadAndSwap(App, Program));
    EXPECT_EQ(App.UpdateDialog.FinalPosition(), 100u) << "everything arrived, and was refused";
    ExpectFailedAndClean();
}

TEST_F(SelfUpdate, ARefusedHostSendsNothing) {
    const size_t before = PortalLog().size();
    for (const std::wstring& url :
         {L"http://127.0.0.1:" + Port() + L"/files/NewZarn.exe",
          L"http://127.0.0.1:" + Port() + L"/files/NewZarn.exe?mirror=localhost",
          L"http://127.0.0.1:" + Port() + L"/localhost/NewZarn.exe", std::wstring(L"")}) {
        App.UpdateAddress = url;
        EXPECT_FALSE(DownloadAndSwap(App, Program));
        ExpectFailedAndClean();
        ExpectFailedAndClean();
    }
    EXPECT_EQ(LoggedPaths(before, "/").size(), 0u);
}

TEST_F(SelfUpdate, CancelInTheMiddleEndsAtOnceAndClosesEverything) {
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/NewZarn.exe&kind=stall&seconds=60"));
    std::atomic<DWORD> cancelledAt{0};
    std::thread canceller([&] {
        for (int i = 0; i < 400; ++i) {
            HWND dialog = App.UpdateDialog.Window();
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (dialog && ::GetFileAttributesExW(New().c_str(), GetFileExInfoStandard, &data) &&
                data.nFileSizeLow > 0) {
                ::Sleep(300); // the worker is now blocked on the stalled body
                cancelledAt = ::GetTickCount();
                ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                return;
            }
            ::Sleep(50);
        }
    });
    const bool swapped = DownloadAndSwap(App, Program);
    const DWORD returnedAt = ::GetTickCount();
    canceller.join();
    EXPECT_FALSE(swapped);
    ASSERT_NE(cancelledAt.load(), 0u) << "the download never started";
    EXPECT_LT(returnedAt - cancelledAt, 3000u) << "cancel must not wait for the stalled host";
    const unsigned position = App.UpdateDialog.FinalPosition();
    EXPECT_GT(position, 0u);
    EXPECT_LT(position, 100u);
    ExpectFailedAndClean();
}

// Keys and the title bar's close button, while the download hangs on a stalled host.
class SelfUpdateKeys : public SelfUpdate, public ::testing::WithParamInterface<int> {};

TEST_P(SelfUpdateKeys, EnterIsIgnoredEscapeAndCloseCancel) {
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/NewZarn.exe&kind=stall&seconds=60"));
    bool stayedOpen = false;
    std::thread keys([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !(dialog = App.UpdateDialog.Window()); ++i)
            ::Sleep(50);
        ::Sleep(500);
        ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        ::Sleep(300);
        stayedOpen = ::IsWindow(dialog) != FALSE;
        if (GetParam() == 0)
            ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            ClickButton(dialog, CDlgEx::CloseButtonId);
    });
    EXPECT_FALSE(DownloadAndSwap(App, Program));
    keys.join();
    EXPECT_TRUE(stayedOpen) << "Enter never closes the dialog";
    ExpectFailedAndClean();
}

INSTANTIATE_TEST_SUITE_P(EscapeOrCloseButton, SelfUpdateKeys, ::testing::Values(0, 1));

TEST_F(SelfUpdate, ASwapThatCannotFinishPutsTheProgramBack) {
    WriteBytes(New(), Payload);
    // A directory where the old file should go: the first rename fails, nothing moves.
    ::CreateDirectoryW(Old().c_str(), nullptr);
    EXPECT_FALSE(SwapProgramFiles(Program, New(), Old()));
    EXPECT_EQ(ReadFileBytes(Program), OldBytes);
    ::RemoveDirectoryW(Old().c_str());
    // The new file missing: the second rename fails after the first succeeded; the program comes back.
    ::DeleteFileW(New().c_str());
    EXPECT_FALSE(SwapProgramFiles(Program, New(), Old()));
    EXPECT_EQ(ReadFileBytes(Program), OldBytes);
    EXPECT_FALSE(FileExists(Old()));
    // And the ordinary case.
    WriteBytes(New(), Payload);
    EXPECT_TRUE(SwapProgramFiles(Program, New(), Old()));
    EXPECT_EQ(ReadFileBytes(Program), Payload);
    EXPECT_EQ(ReadFileBytes(Old()), OldBytes);
}

} // namespace
