// Uninstall end to end: the confirmation, what goes and what stays, the self-delete batch byte for
// byte, and the batch actually deleting the program once the process has ended.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "base/Product.h"
#include "app/Program_win.h"
#include "base/Strings.h"
#include "setup/Install_win.h"
#include "setup/SelfDeleteBatch.h"
#include "setup/Shortcuts.h"
#include "support/NetTestSupport_win.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

std::wstring DesktopFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, 0, path);
    return path;
}

std::string Ansi(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(100);
    }
    return true;
}

class Uninstall : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        BatchesBefore = MatchingFiles(FolderWithoutSlash(TempFolder()), L"Del*.tmp.bat");
    }
    void TearDown() override {
        ResetProgramState();
        UniqueHKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, setup::BrowserEmulationKey, 0, KEY_SET_VALUE, key.put()) ==
            ERROR_SUCCESS)
            ::RegDeleteValueW(key.get(), L"Zarn.exe");
    }

    // A program copy in its own folder, with the registry entries and the four shortcuts of an install.
    std::wstring Prepare(const std::wstring& folderName) {
        const std::wstring folder = MakeScratchFolder(folderName);
        const std::wstring exe = folder + L"\\Zarn.exe";
        EXPECT_TRUE(::CopyFileW(ZarnExe().c_str(), exe.c_str(), FALSE));
        UniqueHKey key;
        EXPECT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, product::RegistryKey, 0, nullptr, 0, KEY_WRITE,
                                    nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const DWORD one = 1;
        ::RegSetValueExW(key.get(), product::DisableDaysValue, 0, REG_BINARY,
                         reinterpret_cast<const BYTE*>(&one), 4);
        UniqueHKey emulation;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, setup::BrowserEmulationKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          emulation.put(), nullptr);
        const DWORD ie = 8000;
        ::RegSetValueExW(emulation.get(), L"Zarn.exe", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ie), 4);
        ::RegSetValueExW(emulation.get(), L"Other.exe", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ie), 4);
        ComInit com;
        CreateProgramShortcuts(exe);
        return exe;
    }

    std::vector<std::wstring> NewBatches() const {
        std::vector<std::wstring> fresh;
        for (const std::wstring& f : MatchingFiles(FolderWithoutSlash(TempFolder()), L"Del*.tmp.bat"))
            if (std::find(BatchesBefore.begin(), BatchesBefore.end(), f) == BatchesBefore.end())
                fresh.push_back(f);
        return fresh;
    }

    static bool EmulationValue(const wchar_t* name) {
        return ::RegGetValueW(HKEY_LOCAL_MACHINE, setup::BrowserEmulationKey, name, RRF_RT_ANY, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
    }

    // Runs "/uninst", answers the question, and on Yes checks the state while the closing message is up
    // (the batch is then still waiting for the process). Returns the batch's text.
    std::string RunUninstall(const std::wstring& exe, bool yes, std::wstring* batchPath = nullptr) {
        Program program = StartProgram(exe, L"/uninst");
        EXPECT_TRUE(program.Process);
        HWND box = WaitForWindow(program.Pid, product::Caption, 30000);
        EXPECT_NE(box, nullptr);
        if (!box) {
            Kill(program);
            return {};
        }
        EXPECT_EQ(StaticTexts(box), product::ConfirmUninstallText);
        AnswerYesNo(box, yes);
        std::string text;
        if (yes) {
            HWND closing = nullptr;
            WaitUntil(30000, [&] {
                closing = WaitForWindow(program.Pid, product::Caption, 100);
                return closing && closing != box && ::IsWindow(closing);
            });
            EXPECT_NE(closing, nullptr) << "no closing message";
            if (closing) {
                EXPECT_EQ(StaticTexts(closing), setup::UninstalledText);
                const std::vector<std::wstring> batches = NewBatches();
                EXPECT_EQ(batches.size(), 1u);
                if (!batches.empty()) {
                    text = ReadFileBytes(batches[0]);
                    if (batchPath)
                        *batchPath = batches[0];
                }
                AnswerOk(closing);
            }
        }
        EXPECT_TRUE(WaitForExit(program, 30000));
        Kill(program);
        return text;
    }

    std::vector<std::wstring> BatchesBefore;
};

TEST_F(Uninstall, AnsweredNoChangesNothing) {
    const std::wstring exe = Prepare(L"uninst-no");
    const size_t logBefore = PortalLog().size();
    RunUninstall(exe, false);
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, product::RegistryKey));
    EXPECT_TRUE(EmulationValue(L"Zarn.exe"));
    EXPECT_TRUE(FileExists(setup::LinkPath(DesktopFolder(), setup::GameShortcutName)));
    EXPECT_TRUE(FileExists(setup::LinkPath(DesktopFolder(), setup::PortalShortcutName)));
    EXPECT_TRUE(FileExists(setup::LinkPath(StartMenuFolder(), setup::UninstallShortcutName)));
    // The program has ended and started no batch: nothing is left that could delete it later.
    EXPECT_TRUE(NewBatches().empty());
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(PortalLog().size(), logBefore);
}

TEST_F(Uninstall, AloneInItsFolderTheProgramAndTheFolderGo) {
    const std::wstring exe = Prepare(L"uninst-alone");
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const size_t logBefore = PortalLog().size();
    std::wstring batch;
    const std::string text = RunUninstall(exe, true, &batch);

    EXPECT_EQ(LoggedPaths(logBefore, "/uninstall.htm"),
              std::vector<std::string>{"/uninstall.htm?tag=zarn&ver=3.0.0.2&count=1"});
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, product::RegistryKey));
    EXPECT_FALSE(EmulationValue(L"Zarn.exe"));
    EXPECT_TRUE(EmulationValue(L"Other.exe"));
    EXPECT_FALSE(FileExists(setup::LinkPath(DesktopFolder(), setup::GameShortcutName)));
    EXPECT_FALSE(FileExists(setup::LinkPath(DesktopFolder(), setup::PortalShortcutName)));
    EXPECT_FALSE(FileExists(StartMenuFolder())) << "the emptied Start-menu folder stays";

    EXPECT_EQ(text,
              FormatSelfDeleteBatch(SelfDeleteVariant::RemoveFolder, Ansi(exe), Ansi(folder), Ansi(batch)));
    EXPECT_NE(text.find("rd \""), std::string::npos);
    // Once the process has gone the batch deletes the program, the folder and itself.
    EXPECT_TRUE(WaitUntil(60000, [&] { return !FileExists(exe); })) << "the program was not deleted";
    EXPECT_TRUE(WaitUntil(30000, [&] { return !FileExists(folder); }));
    EXPECT_TRUE(WaitUntil(30000, [&] { return !FileExists(batch); }));
}

TEST_F(Uninstall, AReadOnlyProgramIsDeletedToo) {
    const std::wstring exe = Prepare(L"uninst-readonly");
    ASSERT_TRUE(::SetFileAttributesW(exe.c_str(), FILE_ATTRIBUTE_READONLY));
    std::wstring batch;
    RunUninstall(exe, true, &batch);
    // Its "del" would fail on every round, and the batch would never end.
    EXPECT_TRUE(WaitUntil(60000, [&] { return !FileExists(exe); })) << "the program was not deleted";
    EXPECT_TRUE(WaitUntil(30000, [&] { return !FileExists(batch); })) << "the batch still runs";
    ::SetFileAttributesW(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Uninstall, OtherFilesKeepTheFolderAndAStartMenuFolderWithOtherLinksStays) {
    const std::wstring exe = Prepare(L"uninst-shared");
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const std::wstring statistics = folder + L"\\Statistic.ini";
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Zarn", L"Inst", L"1", statistics.c_str()));
    const std::wstring otherLink = setup::LinkPath(StartMenuFolder(), L"其他");
    {
        ComInit com;
        ASSERT_TRUE(CreateShellLinkFile(otherLink, exe, L"", 0, L""));
    }
    std::wstring batch;
    const std::string text = RunUninstall(exe, true, &batch);

    EXPECT_EQ(text,
              FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, Ansi(exe), Ansi(folder), Ansi(batch)));
    EXPECT_EQ(text.find("rd \""), std::string::npos);
    EXPECT_TRUE(FileExists(otherLink));
    EXPECT_FALSE(FileExists(setup::LinkPath(StartMenuFolder(), setup::GameShortcutName)));
    EXPECT_FALSE(FileExists(setup::LinkPath(StartMenuFolder(), setup::UninstallShortcutName)));
    EXPECT_TRUE(WaitUntil(60000, [&] { return !FileExists(exe); }));
    EXPECT_TRUE(WaitUntil(30000, [&] { return !FileExists(batch); }));
    EXPECT_TRUE(FileExists(statistics));
}

TEST_F(Uninstall, AProgramPathOutsideTheAnsiCodePageIsNamedByItsShortForm) {
    // "ő" has no form in code page 936: a lossy conversion would name "?" or another file.
    const std::wstring exe = Prepare(L"uninst-\u0151-\u0e01");
    const std::optional<std::string> form = AnsiPathForBatch(exe);
    std::printf("batch names the program as: %s\n", form ? form->c_str() : "(no lossless form)");
    std::wstring batch;
    const std::string text = RunUninstall(exe, true, &batch);
    if (!form) {
        EXPECT_TRUE(text.empty()) << "a batch was written for a path it cannot name";
        EXPECT_TRUE(FileExists(exe));
        return;
    }
    EXPECT_EQ(text.find('?'), std::string::npos);
    EXPECT_NE(text.find("del \"" + *form + "\""), std::string::npos);
    EXPECT_TRUE(WaitUntil(60000, [&] { return !FileExists(exe); })) << "the program was not deleted";
}

} // namespace
