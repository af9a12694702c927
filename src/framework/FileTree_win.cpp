// Win32 file operations for the tree walker.
#include "framework/FileTree_win.h"

#include <windows.h>

#include <cwchar>

#include "framework/Handle.h"

namespace zarn {

bool Win32FileTree::List(const std::wstring& folder, std::vector<TreeEntry>& entries) {
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find)
        return false;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0)
            continue;
        TreeEntry entry;
        entry.Name = data.cFileName;
        entry.Folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.Link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.ReadOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

void Win32FileTree::ClearReadOnly(const std::wstring& path, bool link) {
    if (!link) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        return;
    }
    // SetFileAttributesW would reach through the link to its target: change the link itself.
    UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
    if (!file)
        return;
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &info, sizeof(info)))
        return;
    info.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    ::SetFileInformationByHandle(file.get(), FileBasicInfo, &info, sizeof(info));
}

uint32_t Win32FileTree::RemoveFile(const std::wstring& path) {
    return ::DeleteFileW(path.c_str()) ? 0 : ::GetLastError();
}

uint32_t Win32FileTree::RemoveFolder(const std::wstring& path) {
    return ::RemoveDirectoryW(path.c_str()) ? 0 : ::GetLastError();
}

bool Win32FileTree::IsLink(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

} // namespace zarn
