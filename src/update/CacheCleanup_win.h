// The browser cache limit and the clean-up of the browser cache and Flash Player data.
#pragma once

#include <windows.h>

#include <string>

namespace zarn {

// Sets the browser's "CacheLimit" to 1048576 when its key exists (the key is never created).
bool SetCacheLimit();
// Deletes the Flash Player's "#SharedObjects" folder below the user's application data.
bool ClearFlashSharedObjects();
// Deletes every browser cache entry except cookies, then the Internet cache folder.
bool ClearUrlCache();
// Thread procedure of the launcher's clean-up: ClearFlashSharedObjects, then ClearUrlCache.
DWORD WINAPI CacheCleanupThread(void* unused);

// Deletes the folder with everything below it; links inside are removed as themselves, never
// entered. A folder that is a link or lies below one is refused (ERROR_REPARSE_POINT_ENCOUNTERED). True only
// when every file went and the folder was removed; otherwise false with the last error set to the error of
// the last file that stayed or, when every file went, the folder removal's.
bool DeleteDirectoryTree(const std::wstring& folder);

} // namespace zarn
