// Folder-tree walking rules shared by the uninstall and the cache clean-up.
#include "base/FileTree.h"

namespace zarn {

namespace {
constexpr uint32_t ErrorInvalidName = 123;              // ERROR_INVALID_NAME
constexpr uint32_t ErrorReparsePointEncountered = 4395; // ERROR_REPARSE_POINT_ENCOUNTERED

bool IsShareName(const std::wstring& path) { // "\\server" alone, above a share
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\' &&
           path.find(L'\\', 2) == std::wstring::npos;
}
} // namespace

std::wstring WithTrailingBackslash(const std::wstring& folder) {
    if (!folder.empty() && folder.back() == L'\\')
        return folder;
    return folder + L'\\';
}

TreeResult DeleteTreeWith(FileTreeOps& fs, const std::wstring& folder) {
    if (folder.empty())
        return {false, ErrorInvalidName};
    const std::wstring prefix = WithTrailingBackslash(folder);
    std::vector<TreeEntry> entries;
    if (!fs.List(prefix, entries)) {
        const uint32_t error = fs.RemoveFolder(folder);
        return {error == 0, error};
    }

    uint32_t fileError = 0;
    for (const TreeEntry& entry : entries) {
        const std::wstring path = prefix + entry.Name;
        if (entry.Folder && !entry.Link) {
            DeleteTreeWith(fs, path); // a sub-folder's own result does not count
            continue;
        }
        // A file, or a link (to a file or a folder) that goes as itself.
        if (entry.ReadOnly)
            fs.ClearReadOnly(path, entry.Link);
        const uint32_t error = entry.Folder ? fs.RemoveFolder(path) : fs.RemoveFile(path);
        if (error != 0)
            fileError = error;
    }

    const uint32_t removeError = fs.RemoveFolder(folder);
    if (removeError != 0)
        return {false, fileError != 0 ? fileError : removeError};
    return {fileError == 0, fileError};
}

std::vector<std::wstring> FolderAndAncestors(const std::wstring& folder) {
    std::wstring path = folder;
    while (path.size() > 1 && path.back() == L'\\')
        path.pop_back();
    std::vector<std::wstring> chain;
    while (!path.empty()) {
        // A drive's root is a volume's own root, which cannot be a link (Wine reports its drive roots
        // as mount points, so asking would refuse every folder).
        if (path.back() == L':')
            break;
        chain.push_back(path);
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos || slash == 0)
            break;
        path.resize(slash);
        if (IsShareName(path))
            break;
    }
    return chain;
}

TreeResult DeleteUnlinkedTreeWith(FileTreeOps& fs, const std::wstring& folder) {
    if (folder.empty())
        return {false, ErrorInvalidName};
    for (const std::wstring& path : FolderAndAncestors(folder))
        if (fs.IsLink(path))
            return {false, ErrorReparsePointEncountered};
    return DeleteTreeWith(fs, folder);
}

unsigned CountFilesWith(FileTreeOps& fs, const std::wstring& folder) {
    const std::wstring prefix = WithTrailingBackslash(folder);
    std::vector<TreeEntry> entries;
    if (!fs.List(prefix, entries))
        return 1;
    unsigned count = 0;
    for (const TreeEntry& entry : entries)
        count += (entry.Folder && !entry.Link) ? CountFilesWith(fs, prefix + entry.Name) : 1;
    return count;
}

} // namespace zarn
