// Cache limit at start-up and the clean-up of Flash Player shared objects and the browser cache.
#include "update/CacheCleanup_win.h"

#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "framework/FileTree_win.h"
#include "framework/Handle.h"

namespace zarn {

namespace {

constexpr const wchar_t* CacheContentKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Content";
constexpr DWORD CacheLimit = 1048576;
constexpr const wchar_t* SharedObjectsSubFolder = L"\\Macromedia\\Flash Player\\#SharedObjects";

// The user's application-data folder through its item list, which goes back to the shell allocator.
std::wstring AppDataFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list)) || !list)
        return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListW(list, path);
    ComPtr<IMalloc> malloc;
    if (SUCCEEDED(::SHGetMalloc(malloc.put())))
        malloc->Free(list);
    return found ? std::wstring(path) : std::wstring();
}

// A cache entry in a buffer twice the size the system asks for.
struct CacheEntryBuffer {
    std::vector<unsigned char> Bytes;
    INTERNET_CACHE_ENTRY_INFOW* Entry() {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(Bytes.data());
    }
    void Resize(DWORD needed) { Bytes.assign(static_cast<size_t>(needed) * 2, 0); }
};

struct UrlCacheFindTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { ::FindCloseUrlCache(h); }
};
using UniqueUrlCacheFind = UniqueResource<HANDLE, UrlCacheFindTraits>;

void DeleteCacheEntries() {
    DWORD needed = 0;
    ::FindFirstUrlCacheEntryW(nullptr, nullptr, &needed);
    if (needed == 0)
        return;
    CacheEntryBuffer buffer;
    buffer.Resize(needed);
    DWORD size = static_cast<DWORD>(buffer.Bytes.size());
    UniqueUrlCacheFind find(::FindFirstUrlCacheEntryW(nullptr, buffer.Entry(), &size));
    if (!find)
        return;
    for (;;) {
        const INTERNET_CACHE_ENTRY_INFOW* entry = buffer.Entry();
        if (!(entry->CacheEntryType & COOKIE_CACHE_ENTRY) && entry->lpszSourceUrlName)
            ::DeleteUrlCacheEntryW(entry->lpszSourceUrlName);
        needed = 0;
        ::FindNextUrlCacheEntryW(find.get(), nullptr, &needed);
        if (needed == 0)
            return;
        buffer.Resize(needed);
        size = static_cast<DWORD>(buffer.Bytes.size());
        if (!::FindNextUrlCacheEntryW(find.get(), buffer.Entry(), &size))
            return;
    }
}

} // namespace

bool SetCacheLimit() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, CacheContentKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return false;
    const DWORD limit = CacheLimit;
    return ::RegSetValueExW(key.get(), L"CacheLimit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&limit),
                            sizeof(limit)) == ERROR_SUCCESS;
}

bool DeleteDirectoryTree(const std::wstring& folder) {
    Win32FileTree fs;
    // Run elevated: a junction at or above the root must not lead the deletion somewhere else.
    const TreeResult result = DeleteUnlinkedTreeWith(fs, folder);
    ::SetLastError(result.Ok ? ERROR_SUCCESS : result.Error);
    return result.Ok;
}

bool ClearFlashSharedObjects() {
    const std::wstring appData = AppDataFolder();
    if (appData.empty())
        return false;
    return DeleteDirectoryTree(appData + SharedObjectsSubFolder);
}

bool ClearUrlCache() {
    DeleteCacheEntries();
    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_INTERNET_CACHE, FALSE))
        return false;
    return DeleteDirectoryTree(folder);
}

DWORD WINAPI CacheCleanupThread(void*) {
    ClearFlashSharedObjects();
    ClearUrlCache();
    return 0;
}

} // namespace zarn
