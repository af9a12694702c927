// The cache limit and the clean-up of Flash Player data and the browser cache on the real system.
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "framework/Handle.h"
#include "support/SetupTestSupport_win.h"
#include "support/WinTestSupport_win.h"
#include "update/CacheCleanup_win.h"

using namespace zarn;
using namespace zarn::test;

namespace {

constexpr const wchar_t* ContentKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Content";

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return path;
}

void WriteFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), "x", 1, &written, nullptr);
}

TEST(CacheLimit, IsWrittenOnlyIntoAnExistingKey) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, ContentKey);
    EXPECT_FALSE(SetCacheLimit());
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, ContentKey)) << "the key must not be created";

    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, ContentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(SetCacheLimit());
    DWORD value = 0, size = sizeof(value), type = 0;
    ASSERT_EQ(
        ::RegQueryValueExW(key.get(), L"CacheLimit", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1048576u);
}

TEST(CacheCleanup, SharedObjectsGoEvenReadOnlyOnes) {
    const std::wstring objects = AppData() + L"\\Macromedia\\Flash Player\\#SharedObjects";
    ::SHCreateDirectoryExW(nullptr, (objects + L"\\ABCD1234\\localhost").c_str(), nullptr);
    WriteFile(objects + L"\\ABCD1234\\localhost\\game.sol", FILE_ATTRIBUTE_READONLY);
    WriteFile(objects + L"\\settings.sol");
    EXPECT_TRUE(ClearFlashSharedObjects());
    EXPECT_FALSE(FileExists(objects));
    EXPECT_TRUE(FileExists(AppData() + L"\\Macromedia\\Flash Player"));

    // A missing folder is only a false answer.
    EXPECT_FALSE(ClearFlashSharedObjects());
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
}

TEST(CacheCleanup, DeleteDirectoryTreeReportsAFileInUse) {
    const std::wstring folder = MakeScratchFolder(L"tree");
    ::CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    WriteFile(folder + L"\\a.txt");
    WriteFile(folder + L"\\sub\\b.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const std::wstring locked = folder + L"\\locked.dat";
    WriteFile(locked);
    {
        UniqueFile inUse(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(inUse);
        EXPECT_FALSE(DeleteDirectoryTree(folder));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"locked.dat"});
    }
    EXPECT_TRUE(DeleteDirectoryTree(folder + L"\\")); // a trailing backslash is fine
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(DeleteDirectoryTree(L""));
}

TEST(CacheCleanup, CacheEntriesGoCookiesStay) {
    const wchar_t* url = L"http://zarn-cache.test/page.html";
    wchar_t file[MAX_PATH] = {};
    ASSERT_TRUE(::CreateUrlCacheEntryW(url, 1, L"html", file, 0));
    WriteFile(file);
    FILETIME never{};
    ASSERT_TRUE(
        ::CommitUrlCacheEntryW(url, file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
    ASSERT_TRUE(::InternetSetCookieW(L"http://zarn-cache.test/", L"keep",
                                     L"yes; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
    // The listing the clean-up walks does not reach the cookie store; an entry of the listed
    // container marked as a cookie is what its cookie rule has to keep.
    const wchar_t* cookieUrl = L"http://zarn-cache.test/marked-as-cookie.txt";
    wchar_t cookieFile[MAX_PATH] = {};
    ASSERT_TRUE(::CreateUrlCacheEntryW(cookieUrl, 1, L"txt", cookieFile, 0));
    WriteFile(cookieFile);
    ASSERT_TRUE(::CommitUrlCacheEntryW(cookieUrl, cookieFile, never, never, COOKIE_CACHE_ENTRY, nullptr, 0,
                                       nullptr, nullptr));
    DWORD size = 0;
    ::GetUrlCacheEntryInfoW(url, nullptr, &size);
    ASSERT_GT(size, 0u) << "the cache entry was not stored";
    size = 0;
    ::GetUrlCacheEntryInfoW(cookieUrl, nullptr, &size);
    ASSERT_GT(size, 0u) << "the cookie entry was not stored";

    ClearUrlCache();

    size = 0;
    EXPECT_FALSE(::GetUrlCacheEntryInfoW(url, nullptr, &size) ||
                 ::GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    size = 0;
    ::GetUrlCacheEntryInfoW(cookieUrl, nullptr, &size);
    EXPECT_GT(size, 0u) << "an entry of cookie type was deleted";
    ::DeleteUrlCacheEntryW(cookieUrl);
    wchar_t cookie[256] = {};
    DWORD length = 256;
    EXPECT_TRUE(::InternetGetCookieW(L"http://zarn-cache.test/", nullptr, cookie, &length));
    EXPECT_NE(std::wstring(cookie).find(L"keep=yes"), std::wstring::npos);
}

TEST(CacheCleanup, TheThreadClearsBothAndEnds) {
    const std::wstring objects = AppData() + L"\\Macromedia\\Flash Player\\#SharedObjects";
    ::SHCreateDirectoryExW(nullptr, objects.c_str(), nullptr);
    WriteFile(objects + L"\\x.sol", FILE_ATTRIBUTE_READONLY);
    UniqueHandle thread(::CreateThread(nullptr, 0, CacheCleanupThread, nullptr, 0, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 60000), WAIT_OBJECT_0);
    EXPECT_FALSE(FileExists(objects));
}

} // namespace
