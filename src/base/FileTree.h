// Walks a folder tree to count or delete its files, over an abstract file system so that the rules
// (links are never followed, which errors are kept) are the same on every system. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn {

// One entry of a folder listing ("." and ".." are never listed).
struct TreeEntry {
    std::wstring Name;
    bool Folder = false;   // a directory (a junction or directory link is one too)
    bool Link = false;     // a reparse point: junction or symbolic link; never entered
    bool ReadOnly = false; // the read-only attribute is set
};

// The file-system operations the walker needs. Errors are system error codes; 0 means success.
class FileTreeOps {
  public:
    virtual ~FileTreeOps() = default;
    // Lists the entries of folder; false when the listing cannot start.
    virtual bool List(const std::wstring& folder, std::vector<TreeEntry>& entries) = 0;
    // Clears the read-only attribute of the entry itself (of the link, not its target).
    virtual void ClearReadOnly(const std::wstring& path, bool link) = 0;
    virtual uint32_t RemoveFile(const std::wstring& path) = 0;
    // Removes an empty folder, or a junction/directory link as itself.
    virtual uint32_t RemoveFolder(const std::wstring& path) = 0;
    // Whether the path itself is a reparse point (junction, mounted folder or symbolic link); also
    // true when its attributes cannot be read for another reason than its absence.
    virtual bool IsLink(const std::wstring& path) = 0;
};

struct TreeResult {
    bool Ok = false;
    uint32_t Error = 0; // the error to report as the thread's last error when !Ok
};

// The folder with a backslash appended unless it already ends in one.
std::wstring WithTrailingBackslash(const std::wstring& folder);

// Deletes every file below folder and the folders themselves. A link inside the tree is removed as
// itself, never entered. Ok only when every file went and folder was removed; otherwise Error is the
// error of the last file that could not be deleted or, when all files went, the folder removal's error.
TreeResult DeleteTreeWith(FileTreeOps& fs, const std::wstring& folder);

// The folder (without a trailing backslash) and every folder above it below the drive's root ("C:\\",
// a volume's root, is never a link) or down to the share ("\\\\server\\share"), nearest first.
std::vector<std::wstring> FolderAndAncestors(const std::wstring& folder);

// DeleteTreeWith, but only for a folder that is no link and lies below none: deleting through a link
// at the root would delete the link's target, wherever it is. Refused with Error 4395
// (ERROR_REPARSE_POINT_ENCOUNTERED) and nothing touched otherwise.
TreeResult DeleteUnlinkedTreeWith(FileTreeOps& fs, const std::wstring& folder);

// The number of files (not folders) in folder and its sub-folders; a link counts as one entry and is
// not entered. 1 when folder cannot be listed.
unsigned CountFilesWith(FileTreeOps& fs, const std::wstring& folder);

} // namespace zarn
