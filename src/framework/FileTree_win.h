// The folder-tree walker on the real file system: FindFirstFileW listings, links never entered.
#pragma once

#include <string>

#include "base/FileTree.h"

namespace zarn {

class Win32FileTree : public FileTreeOps {
  public:
    bool List(const std::wstring& folder, std::vector<TreeEntry>& entries) override;
    void ClearReadOnly(const std::wstring& path, bool link) override;
    uint32_t RemoveFile(const std::wstring& path) override;
    uint32_t RemoveFolder(const std::wstring& path) override;
    bool IsLink(const std::wstring& path) override;
};

} // namespace zarn
