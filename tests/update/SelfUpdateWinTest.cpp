// The program download and swap in-process, with a scratch file standing in for the program: a
// complete checked download of a program swaps; every failure, a file that is no program, and a
// cancel in the middle end with the program untouched and nothing open; the old copy is never left
// scheduled for deletion while it may be the only one.
#include "update/SelfUpdate_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

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

// The progress bar's position as the dialog shows it (asked from any thread).
unsigned ShownPosition(HWND dialog) {
    return static_cast<unsigned>(::SendMessageW(::GetDlgItem(dialog, IDC_UPDATEPROGRESS), PBM_GETPOS, 0, 0));
}

// Whether a deletion of path at the next restart is in the system's list.
bool DeletionScheduled(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    UniqueHKey owner(key);
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return false;
    std::wstring list(bytes / sizeof(wchar_t) + 1, L'\0');
    ::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(list.data()), &bytes);
    std::wstring entry = L"\\??\\" + path;
    entry += L'\0';
    entry += L'\0';
    return list.find(entry) != std::wstring::npos;
}

const std::string OldBytes = "the running program, version one";

class SelfUpdate : public ::testing::Test {
  protected:
    void SetUp() override {
        PortalControl(L"/__portal/reset");
        Folder = MakeScratchFolder(L"selfupdate");
        Program = Folder + L"\\Zarn.exe";
        WriteBytes(Program, OldBytes);
        // The "new program": this build's own program with bytes appended, so that it is one and differs.
        Payload = ReadFileBytes(ZarnExe());
        ASSERT_FALSE(Payload.empty());
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
    void Serve(const std::string& bytes, const std::wstring& key) {
        const std::wstring file = Folder + L"\\served.bin";
        WriteBytes(file, bytes);
        ASSERT_TRUE(
            PortalControl(L"/__portal/file?path=/files/NewZarn.exe&src=" + QueryEscape(UnixPath(file))));
        App.UpdateKey = key;
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

// Even without a published key (nothing else checks the file then), a download address that redirects
// out of the allowed domains brings nothing: no request there, no file, no swap. Within them, up to
// five redirects are followed.
TEST_F(SelfUpdate, ARedirectIsFollowedOnlyIntoTheAllowedDomains) {
    App.UpdateKey.clear();
    const size_t before = PortalLog().size();
    App.UpdateAddress = L"http://localhost:" + Port() + L"/redirect?to=" +
                        QueryEscape(L"http://127.0.0.1:" + Port() + L"/files/NewZarn.exe");
    EXPECT_FALSE(DownloadAndSwap(App, Program));
    EXPECT_FALSE(FileExists(New())) << "nothing is written";
    ExpectFailedAndClean();
    EXPECT_EQ(LoggedPaths(before, "/redirect").size(), 1u);
    EXPECT_TRUE(LoggedPaths(before, "/files/").empty());

    App.UpdateAddress = L"http://localhost:" + Port() + L"/redirect?hops=5&to=%2Ffiles%2FNewZarn.exe";
    ASSERT_TRUE(DownloadAndSwap(App, Program));
    EXPECT_EQ(ReadFileBytes(Program), Payload);
}

TEST_F(SelfUpdate, CancelInTheMiddleEndsAtOnceAndClosesEverything) {
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/NewZarn.exe&kind=stall&seconds=60"));
    std::atomic<DWORD> cancelledAt{0};
    std::thread canceller([&] {
        for (int i = 0; i < 400; ++i) {
            HWND dialog = App.UpdateDialog.Window();
            WIN32_FILE_ATTRIBUTE_DATA data{};
            // Part of the body is on disk and the dialog has shown its progress.
            if (dialog && ::GetFileAttributesExW(New().c_str(), GetFileExInfoStandard, &data) &&
                data.nFileSizeLow > 0 && ShownPosition(dialog) > 0) {
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

// A posted marker to the dialog's progress bar: once it is handled, everything posted before it was.
bool PostedMessagesHandled(HWND dialog) {
    HWND bar = ::GetDlgItem(dialog, IDC_UPDATEPROGRESS);
    constexpr WPARAM MarkerStep = 7;
    if (!::PostMessageW(bar, PBM_SETSTEP, MarkerStep, 0))
        return false;
    for (int i = 0; i < 200 && ::IsWindow(bar); ++i) {
        if (::SendMessageW(bar, PBM_SETSTEP, MarkerStep, 0) == static_cast<LRESULT>(MarkerStep))
            return true;
        ::Sleep(50);
    }
    return false;
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
        ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        stayedOpen = PostedMessagesHandled(dialog) && ::IsWindow(dialog);
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

TEST_F(SelfUpdate, AFileThatIsNoProgramForThisMachineIsNeverPutInPlace) {
    std::string otherMachine = Payload;
    const uint32_t pe = static_cast<unsigned char>(otherMachine[0x3c]) |
                        (static_cast<unsigned char>(otherMachine[0x3d]) << 8);
    otherMachine[pe + 4] ^= 0x01; // another machine type
    const std::string page = "<html><body><h1>Error</h1><p>file not found</p></body></html>\r\n";
    struct Case {
        const char* Name;
        std::string Bytes;
        bool WithKey;
    };
    for (const Case& c :
         {Case{"empty, with the empty file's key", "", true}, Case{"an error page, no key", page, false},
          Case{"another machine", otherMachine, true}}) {
        SCOPED_TRACE(c.Name);
        Serve(c.Bytes, c.WithKey ? VersionKeyOf(Md5Hex(c.Bytes), L"3003") : L"");
        EXPECT_FALSE(DownloadAndSwap(App, Program));
        EXPECT_EQ(App.UpdateDialog.FinalPosition(), 100u) << "the download itself succeeded";
        ExpectFailedAndClean();
    }
}

TEST_F(SelfUpdate, AnEarlierScheduledDeletionOfTheOldCopyIsCancelledBeforeTheSwap) {
    // An earlier update left "OldZarn.exe" to go at the next restart.
    WriteBytes(Old(), "the program before the last update");
    ASSERT_TRUE(::MoveFileExW(Old().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(DeletionScheduled(Old()));
    ASSERT_TRUE(DownloadAndSwap(App, Program));
    EXPECT_EQ(ReadFileBytes(Old()), OldBytes);
    EXPECT_FALSE(DeletionScheduled(Old())) << "the restart would take the previous program";
}

TEST_F(SelfUpdate, ANewProgramThatCannotStartIsReplacedByTheOldOne) {
    // Headers of a program and nothing behind them: it passes the check but the system cannot load it.
    WriteBytes(Program, Payload.substr(0, 1024));
    ASSERT_TRUE(IsProgramFile(Program));
    WriteBytes(Old(), OldBytes);
    EXPECT_FALSE(StartUpdatedProgram(Program));
    EXPECT_EQ(ReadFileBytes(Program), OldBytes);
    EXPECT_FALSE(FileExists(Old()));
    EXPECT_EQ(ReadFileBytes(New()), Payload.substr(0, 1024));
    EXPECT_TRUE(DeletionScheduled(New()));
}

} // namespace
