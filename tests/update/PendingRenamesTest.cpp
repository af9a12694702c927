// Taking one file's deletion out of the restart-time rename list: other deletions and renames stay.
#include "update/PendingRenames.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {

std::wstring List(std::initializer_list<std::wstring> names) {
    std::wstring list;
    for (const std::wstring& name : names) {
        list += name;
        list += L'\0';
    }
    return list + L'\0';
}

const std::wstring Old = L"\\??\\C:\\ProgramData\\Mirel\\DaruRavoz\\OldZarn.exe";

TEST(PendingRenames, TheDeletionOfTheFileGoesAndEverythingElseStays) {
    const std::wstring list = List({L"\\??\\C:\\a.tmp", L"", Old, L"", L"\\??\\C:\\b", L"!\\??\\C:\\c"});
    EXPECT_EQ(WithoutDeletionOf(list, Old), List({L"\\??\\C:\\a.tmp", L"", L"\\??\\C:\\b", L"!\\??\\C:\\c"}));
}

TEST(PendingRenames, LetterCaseDoesNotMatterAndEveryDeletionOfTheFileGoes) {
    std::wstring upper = Old;
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    EXPECT_EQ(WithoutDeletionOf(List({upper, L"", Old, L""}), Old), L"");
}

TEST(PendingRenames, ARenameOfTheFileIsNotADeletionAndStays) {
    const std::wstring list = List({Old, L"!\\??\\C:\\elsewhere.exe"});
    EXPECT_EQ(WithoutDeletionOf(list, Old), list);
}

TEST(PendingRenames, EmptyAndOddListsGiveDefinedResults) {
    EXPECT_EQ(WithoutDeletionOf(L"", Old), L"");
    EXPECT_EQ(WithoutDeletionOf(std::wstring(1, L'\0'), Old), L"");
    // No closing null, and a name without its destination: the pair before it stays.
    const std::wstring cut = std::wstring(L"\\??\\C:\\a") + L'\0' + L'\0' + L"\\??\\C:\\b";
    EXPECT_EQ(WithoutDeletionOf(cut, Old), List({L"\\??\\C:\\a", L""}));
}

} // namespace
