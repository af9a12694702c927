// The crash filter in a child process (a copy of this test executable): a fault writes "<exe>.dmp"
// beside the program, a later one writes nothing, and a dump can be asked for without a crash.
#include <windows.h>

#include <gtest/gtest.h>

#include "crash/CrashDump_win.h"
#include "framework/Handle.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

constexpr const wchar_t* ChildVariable = L"ZARN_CRASH_CHILD";

std::wstring ChildMode() {
    wchar_t mode[32] = {};
    ::GetEnvironmentVariableW(ChildVariable, mode, 32);
    return mode;
}

void Fault() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

constexpr DWORD FirstExceptionCode = 0xE0000001;
LONG FirstFilterAnswer = -1;

// Hands the first (raised) exception to the filter as the system would, then goes on.
LONG WINAPI FilterFirstException(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode != FirstExceptionCode)
        return EXCEPTION_CONTINUE_SEARCH;
    FirstFilterAnswer = TopLevelExceptionFilter(exception);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The child's part, selected by the environment; in an ordinary run it does nothing.
TEST(CrashDumpChild, Body) {
    const std::wstring mode = ChildMode();
    if (mode.empty())
        return; // runs only as the crash child
    ::SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    ::SetUnhandledExceptionFilter(TopLevelExceptionFilter);
    if (mode == L"fault") {
        Fault();
    } else if (mode == L"twice") {
        // The first exception is handed to the filter as the system would; then the dump is moved away
        // and a real fault follows.
        void* handler = ::AddVectoredExceptionHandler(1, FilterFirstException);
        ::RaiseException(FirstExceptionCode, 0, 0, nullptr);
        ::RemoveVectoredExceptionHandler(handler);
        EXPECT_EQ(FirstFilterAnswer, EXCEPTION_CONTINUE_SEARCH);
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dump(self);
        dump = dump.substr(0, dump.rfind(L'.')) + L".dmp";
        ::MoveFileW(dump.c_str(), (dump + L".first").c_str());
        Fault();
    } else if (mode == L"request") {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self);
        path = path.substr(0, path.rfind(L'\\')) + L"\\requested.dmp";
        UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        WriteCrashDump(file.get(), nullptr);
        ::ExitProcess(7); // proves the process went on after the dump
    }
}

class CrashDump : public ::testing::Test {
  protected:
    // Under Wine an unhandled exception starts winedbg, whose crash dialog would wait for a user.
    void SetUp() override {
        DWORD size = sizeof(OldShowDialog);
        HadShowDialog = ::RegGetValueW(HKEY_CURRENT_USER, WineDbgKey, L"ShowCrashDialog", RRF_RT_REG_DWORD,
                                       nullptr, &OldShowDialog, &size) == ERROR_SUCCESS;
        SetShowDialog(0);
    }
    void TearDown() override {
        if (HadShowDialog) {
            SetShowDialog(OldShowDialog);
        } else {
            UniqueHKey key;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, WineDbgKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
                ::RegDeleteValueW(key.get(), L"ShowCrashDialog");
        }
    }
    static void SetShowDialog(DWORD value) {
        UniqueHKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, WineDbgKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr) == ERROR_SUCCESS)
            ::RegSetValueExW(key.get(), L"ShowCrashDialog", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }

    // Runs a copy of this executable in its own folder as the crash child; returns its exit code.
    DWORD RunChild(const wchar_t* mode) {
        Folder = MakeScratchFolder(std::wstring(L"crash-") + mode);
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        Exe = Folder + L"\\zarn_wintests.exe";
        EXPECT_TRUE(::CopyFileW(self, Exe.c_str(), FALSE));
        ::SetEnvironmentVariableW(ChildVariable, mode);
        Program child = StartProgram(Exe, L"--gtest_filter=CrashDumpChild.Body");
        ::SetEnvironmentVariableW(ChildVariable, nullptr);
        DWORD code = 0;
        EXPECT_TRUE(WaitForExit(child, 120000, &code)); // MiniDumpWriteDump takes seconds under Wine
        Kill(child);
        return code;
    }
    static bool IsMiniDump(const std::wstring& path) {
        return ReadFileBytes(path).compare(0, 4, "MDMP") == 0;
    }

    static constexpr const wchar_t* WineDbgKey = L"Software\\Wine\\WineDbg";
    bool HadShowDialog = false;
    DWORD OldShowDialog = 1;
    std::wstring Folder, Exe;
};

TEST_F(CrashDump, AFaultWritesADumpBesideTheProgram) {
    const DWORD code = RunChild(L"fault");
    EXPECT_NE(code, 0u); // the system's own crash handling ended the process
    EXPECT_TRUE(IsMiniDump(Folder + L"\\zarn_wintests.dmp"));
}

TEST_F(CrashDump, ASecondFaultWritesNothing) {
    const DWORD code = RunChild(L"twice");
    EXPECT_NE(code, 0u);
    EXPECT_TRUE(IsMiniDump(Folder + L"\\zarn_wintests.dmp.first"));
    EXPECT_FALSE(FileExists(Folder + L"\\zarn_wintests.dmp"));
}

TEST_F(CrashDump, ADumpCanBeAskedForWithoutACrash) {
    const DWORD code = RunChild(L"request");
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(IsMiniDump(Folder + L"\\requested.dmp"));
}

} // namespace
