// The favourites dialog with real windows: the name box, the bytes OnOK writes into the Favorites
// folder of the prefix, replacing an existing favourite, empty addresses, and the names and addresses
// that are refused with nothing written anywhere.
#include "dialogs/FavDlg_win.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/SkinTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

const wchar_t Caption[] = L"添加收藏";
constexpr int NameBox = 1018;

std::wstring Favorites() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> entries = FolderEntries(folder);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::wstring ParentOf(const std::wstring& folder) {
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string Expected(const std::string& address) {
    return "[DEFAULT]\r\nBASEURL=" + address +
           "\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=" + address +
           "\r\nIDList=\r\n";
}

std::wstring NameBoxText(HWND dialog) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, NameBox, text, 512);
    return text;
}

// What the driver saw in the name box when the dialog opened.
struct Opened {
    std::wstring Name;
    LRESULT Limit = 0;
};

// Runs the dialog on this thread; the driver replaces the name when `typed` is given and presses
// "收藏" (or Cancel). If the dialog never shows, it is cancelled so that the test fails, not hangs.
INT_PTR RunDialog(CFavDlg& dialog, const std::wstring* typed, Opened& opened, int button = IDOK) {
    INT_PTR result = -100;
    {
        BackgroundDriver driver([&] {
            HWND wnd = WaitForOwnWindow(Caption);
            if (!ShownElseCancel(wnd, dialog.GetSafeHwnd()))
                return;
            opened.Name = NameBoxText(wnd);
            opened.Limit = ::SendDlgItemMessageW(wnd, NameBox, EM_GETLIMITTEXT, 0, 0);
            if (typed)
                ::SetDlgItemTextW(wnd, NameBox, typed->c_str());
            ClickButton(wnd, button);
        });
        result = dialog.DoModal();
    }
    return result;
}

class FavDlg : public testing::Test {
  protected:
    void SetUp() override {
        Folder = Favorites();
        ASSERT_FALSE(Folder.empty()) << "no Favorites folder in the prefix";
        ::CreateDirectoryW(Folder.c_str(), nullptr);
        ASSERT_EQ(::GetACP(), 936u) << "the tests run in the Chinese code page";
        Clean();
        Before = Entries(Folder);
        ParentBefore = Entries(ParentOf(Folder));
    }
    void TearDown() override { Clean(); }

    // Removes what these tests may have written.
    void Clean() {
        for (const std::wstring& name : FolderEntries(Folder))
            if (name.size() > 4 && name.compare(name.size() - 4, 4, L".url") == 0 &&
                name.rfind(L"ZarnTest", 0) == 0)
                ::DeleteFileW((Folder + L"\\" + name).c_str());
        ::DeleteFileW((Folder + L"\\.url").c_str());
        ::DeleteFileW((ParentOf(Folder) + L"\\evil.url").c_str());
    }

    std::string Saved(const std::wstring& name) const {
        return ReadFileBytes(Folder + L"\\" + name + L".url");
    }

    std::wstring Folder;
    std::vector<std::wstring> Before;
    std::vector<std::wstring> ParentBefore;
};

} // namespace

TEST_F(FavDlg, WritesTheShortcutsExactBytesUnderTheProposedName) {
    CFavDlg dialog(L"ZarnTest - 1服", L"http://127.0.0.1/zarn/game.html?server=1&t=中", nullptr);
    Opened opened;
    EXPECT_EQ(RunDialog(dialog, nullptr, opened), IDOK);
    EXPECT_EQ(opened.Name, L"ZarnTest - 1服");
    EXPECT_EQ(opened.Limit, 127);
    // ANSI (code page 936: "中" is D6 D0), no byte-order mark, no terminating zero.
    EXPECT_EQ(Saved(L"ZarnTest - 1服"), Expected("http://127.0.0.1/zarn/game.html?server=1&t=\xD6\xD0"));
}

TEST_F(FavDlg, ReplacesAnExistingFavouriteAndSavesUnderTheTypedName) {
    const std::wstring path = Folder + L"\\ZarnTest typed.url";
    {
        UniqueFile old(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(old);
        const std::string junk(4000, 'j');
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(old.get(), junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr));
    }
    CFavDlg dialog(L"ZarnTest proposed", L"http://h/a", nullptr);
    const std::wstring typed = L"ZarnTest typed";
    Opened opened;
    EXPECT_EQ(RunDialog(dialog, &typed, opened), IDOK);
    EXPECT_EQ(Saved(L"ZarnTest typed"), Expected("http://h/a"));
    EXPECT_FALSE(FileExists(Folder + L"\\ZarnTest proposed.url"));
}

TEST_F(FavDlg, EmptyAddressAndEmptyNameGiveEmptyLines) {
    CFavDlg dialog(L"ZarnTest empty", L"", nullptr);
    Opened opened;
    EXPECT_EQ(RunDialog(dialog, nullptr, opened), IDOK);
    EXPECT_EQ(Saved(L"ZarnTest empty"), Expected(""));

    CFavDlg nameless(L"", L"", nullptr);
    EXPECT_EQ(RunDialog(nameless, nullptr, opened), IDOK);
    EXPECT_EQ(opened.Name, L"");
    EXPECT_EQ(Saved(L""), Expected(""));
}

TEST_F(FavDlg, CancelWritesNothing) {
    CFavDlg dialog(L"ZarnTest cancelled", L"http://h/a", nullptr);
    Opened opened;
    EXPECT_EQ(RunDialog(dialog, nullptr, opened, IDCANCEL), IDCANCEL);
    EXPECT_EQ(Entries(Folder), Before);
}

TEST_F(FavDlg, RefusedNamesWriteNothingAnywhereAndStillEndWithOK) {
    const std::vector<std::wstring> names = {
        L"..\\evil",  L"../evil",   L"ZarnTest\\sub", L"C:evil",     L"ZarnTest:stream",
        L"ZarnTest*", L"ZarnTest?", L"Zarn\"Test",    L"<ZarnTest>", L"Zarn|Test",
        L"..",        L"CON",       L"nul",           L"nul.txt",    L"COM1",
        L"lpt9.doc",  L"Aux .x"};
    for (const std::wstring& name : names) {
        CFavDlg dialog(name, L"http://h/a", nullptr);
        Opened opened;
        EXPECT_EQ(RunDialog(dialog, nullptr, opened), IDOK) << testing::PrintToString(name);
        EXPECT_EQ(Entries(Folder), Before) << testing::PrintToString(name);
        EXPECT_EQ(Entries(ParentOf(Folder)), ParentBefore) << testing::PrintToString(name);
    }
}

TEST_F(FavDlg, ALongTitleIsShortenedInTheBoxAndSavedAsShown) {
    // Counted in characters, not bytes. (Linux keeps at most 255 bytes of a file name, so the part
    // that is kept stays short in UTF-8 as well.)
    const std::wstring title = L"ZarnTest" + std::wstring(40, L'长') + std::wstring(200, L'x');
    CFavDlg dialog(title, L"http://h/long", nullptr);
    Opened opened;
    EXPECT_EQ(RunDialog(dialog, nullptr, opened), IDOK);
    ASSERT_EQ(opened.Name, title.substr(0, 127));
    EXPECT_EQ(Saved(opened.Name), Expected("http://h/long"));
    const std::vector<std::wstring> entries = Entries(Folder);
    EXPECT_TRUE(std::binary_search(entries.begin(), entries.end(), opened.Name + L".url"));
}

TEST_F(FavDlg, AnAddressIsWrittenWholeUpToItsLimitAndALongerOneNotAtAll) {
    const std::string longest = "http://h/" + std::string(2083 - 9, 'a');
    CFavDlg whole(L"ZarnTest longest", std::wstring(longest.begin(), longest.end()), nullptr);
    Opened opened;
    EXPECT_EQ(RunDialog(whole, nullptr, opened), IDOK);
    EXPECT_EQ(Saved(L"ZarnTest longest"), Expected(longest));

    const std::string longer = longest + "a";
    CFavDlg refused(L"ZarnTest longer", std::wstring(longer.begin(), longer.end()), nullptr);
    EXPECT_EQ(RunDialog(refused, nullptr, opened), IDOK);
    EXPECT_FALSE(FileExists(Folder + L"\\ZarnTest longer.url"));

    // A line break would add lines of its own: refused as well.
    CFavDlg broken(L"ZarnTest broken", L"http://h/a\r\nURL=file:///c:/evil", nullptr);
    EXPECT_EQ(RunDialog(broken, nullptr, opened), IDOK);
    EXPECT_FALSE(FileExists(Folder + L"\\ZarnTest broken.url"));
}

TEST(DialogGallery, ShowsTheFavouritesDialog) {
    CFavDlg dialog(L"Zarn - 1服", L"http://h/zarn/game.html?server=1", nullptr);
    Capture shot;
    std::wstring saved = L"-";
    {
        BackgroundDriver driver([&] {
            HWND wnd = WaitForOwnWindow(Caption);
            if (!ShownElseCancel(wnd, dialog.GetSafeHwnd()))
                return;
            ::SetWindowPos(wnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            shot = CaptureWindowSettled(wnd);
            if (!GalleryFolder().empty())
                saved = SaveGalleryShot(wnd, L"favourites-dialog");
            ClickButton(wnd, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    EXPECT_FALSE(saved.empty());
    ASSERT_GT(shot.Width, 0);
    std::vector<COLORREF> colours(shot.Pixels);
    std::sort(colours.begin(), colours.end());
    EXPECT_GE(std::unique(colours.begin(), colours.end()) - colours.begin(), 3) << "a flat picture";
}
