// The tree walker over an in-memory file system: what is deleted and counted, which error is kept,
// and that links are never entered.
#include "base/FileTree.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace zarn;

namespace {

constexpr uint32_t AccessDenied = 5;
constexpr uint32_t DirNotEmpty = 145;
constexpr uint32_t PathNotFound = 3;
constexpr uint32_t SharingViolation = 32;

// Paths are full texts such as "C:\a\b"; a folder is listed by its path with a trailing backslash.
class FakeFs : public FileTreeOps {
  public:
    struct Node {
        bool Folder = false;
        bool Link = false;
        bool ReadOnly = false;
        bool Locked = false; // in use: cannot be deleted
    };
    std::map<std::wstring, Node> Nodes;
    std::vector<std::wstring> Listed;

    void AddFolder(const std::wstring& p) { Nodes[p] = Node{true}; }
    void AddFile(const std::wstring& p, bool readOnly = false, bool locked = false) {
        Nodes[p] = Node{false, false, readOnly, locked};
    }
    void AddLink(const std::wstring& p, bool toFolder) { Nodes[p] = Node{toFolder, true}; }
    bool Has(const std::wstring& p) const { return Nodes.count(p) != 0; }

    bool List(const std::wstring& folder, std::vector<TreeEntry>& entries) override {
        EXPECT_EQ(folder.back(), L'\\');
        const std::wstring self = folder.substr(0, folder.size() - 1);
        auto it = Nodes.find(self);
        if (it == Nodes.end() || !it->second.Folder)
            return false;
        EXPECT_FALSE(it->second.Link) << "entered a link: " << std::string(self.begin(), self.end());
        Listed.push_back(self);
        for (const auto& [path, node] : Nodes)
            if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                path.find(L'\\', folder.size()) == std::wstring::npos)
                entries.push_back({path.substr(folder.size()), node.Folder, node.Link, node.ReadOnly});
        return true;
    }
    void ClearReadOnly(const std::wstring& path, bool) override { Nodes[path].ReadOnly = false; }
    uint32_t RemoveFile(const std::wstring& path) override {
        auto it = Nodes.find(path);
        if (it == Nodes.end())
            return PathNotFound;
        if (it->second.ReadOnly)
            return AccessDenied;
        if (it->second.Locked)
            return SharingViolation;
        Nodes.erase(it);
        return 0;
    }
    bool IsLink(const std::wstring& path) override {
        Asked.push_back(path);
        auto it = Nodes.find(path);
        return it != Nodes.end() && it->second.Link;
    }
    std::vector<std::wstring> Asked;
    uint32_t RemoveFolder(const std::wstring& path) override {
        auto it = Nodes.find(path);
        if (it == Nodes.end())
            return PathNotFound;
        if (!it->second.Link)
            for (const auto& [p, n] : Nodes)
                if (p.size() > path.size() && p.compare(0, path.size() + 1, path + L"\\") == 0)
                    return DirNotEmpty;
        Nodes.erase(it);
        return 0;
    }
};

TEST(FileTree, DeletesEveryFileAndFolderIncludingReadOnlyOnes) {
    FakeFs fs;
    fs.AddFolder(L"C:\\so");
    fs.AddFolder(L"C:\\so\\site");
    fs.AddFile(L"C:\\so\\site\\game.sol", true);
    fs.AddFile(L"C:\\so\\top.txt");
    fs.AddFolder(L"C:\\so\\empty");
    fs.AddFile(L"C:\\other.txt");
    const TreeResult r = DeleteTreeWith(fs, L"C:\\so");
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(fs.Nodes.size(), 1u);
    EXPECT_TRUE(fs.Has(L"C:\\other.txt"));
}

TEST(FileTree, AFolderGivenWithItsBackslashWorksTheSame) {
    FakeFs fs;
    fs.AddFolder(L"C:\\so");
    fs.AddFile(L"C:\\so\\a");
    EXPECT_EQ(CountFilesWith(fs, L"C:\\so\\"), 1u);
    EXPECT_EQ(WithTrailingBackslash(L"C:\\so\\"), L"C:\\so\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\so"), L"C:\\so\\");
}

TEST(FileTree, LinksInsideTheTreeGoAsThemselvesAndTheirTargetsStay) {
    FakeFs fs;
    fs.AddFolder(L"C:\\keep");
    fs.AddFile(L"C:\\keep\\precious.doc");
    fs.AddFile(L"C:\\keep.txt");
    fs.AddFolder(L"C:\\cache");
    fs.AddLink(L"C:\\cache\\junction", true);
    fs.AddLink(L"C:\\cache\\filelink", false);
    fs.AddFile(L"C:\\cache\\x.dat");
    EXPECT_EQ(CountFilesWith(fs, L"C:\\cache"), 3u);
    const TreeResult r = DeleteTreeWith(fs, L"C:\\cache");
    EXPECT_TRUE(r.Ok);
    EXPECT_FALSE(fs.Has(L"C:\\cache"));
    EXPECT_TRUE(fs.Has(L"C:\\keep\\precious.doc"));
    EXPECT_TRUE(fs.Has(L"C:\\keep"));
    EXPECT_TRUE(fs.Has(L"C:\\keep.txt"));
    for (const auto& listed : fs.Listed)
        EXPECT_EQ(listed, L"C:\\cache");
}

TEST(FileTree, ALockedFileKeepsItsFoldersAndIsTheReportedError) {
    FakeFs fs;
    fs.AddFolder(L"C:\\c");
    fs.AddFolder(L"C:\\c\\in");
    fs.AddFile(L"C:\\c\\in\\index.dat", false, true);
    fs.AddFile(L"C:\\c\\z.txt");
    const TreeResult r = DeleteTreeWith(fs, L"C:\\c");
    EXPECT_FALSE(r.Ok);
    // The locked file is in a sub-folder: its error is not the parent's; the parent's removal fails.
    EXPECT_EQ(r.Error, DirNotEmpty);
    EXPECT_TRUE(fs.Has(L"C:\\c\\in\\index.dat"));
    EXPECT_FALSE(fs.Has(L"C:\\c\\z.txt"));

    FakeFs flat;
    flat.AddFolder(L"C:\\d");
    flat.AddFile(L"C:\\d\\a", false, true);
    flat.AddFile(L"C:\\d\\b");
    const TreeResult f = DeleteTreeWith(flat, L"C:\\d");
    EXPECT_FALSE(f.Ok);
    EXPECT_EQ(f.Error, SharingViolation); // the file's error wins over the folder's
}

TEST(FileTree, MissingOrEmptyFolderIsFalseWithTheRemovalError) {
    FakeFs fs;
    TreeResult r = DeleteTreeWith(fs, L"C:\\nothing");
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, PathNotFound);
    r = DeleteTreeWith(fs, L"");
    EXPECT_FALSE(r.Ok);
    EXPECT_NE(r.Error, 0u);
    EXPECT_EQ(CountFilesWith(fs, L"C:\\nothing"), 1u); // an unlistable folder counts one
}

TEST(FileTree, CountsFilesInAllSubFoldersButNotTheFolders) {
    FakeFs fs;
    fs.AddFolder(L"C:\\p");
    fs.AddFile(L"C:\\p\\Zarn.exe");
    EXPECT_EQ(CountFilesWith(fs, L"C:\\p"), 1u);
    fs.AddFolder(L"C:\\p\\sub");
    fs.AddFolder(L"C:\\p\\sub\\deeper");
    EXPECT_EQ(CountFilesWith(fs, L"C:\\p"), 1u);
    fs.AddFile(L"C:\\p\\sub\\deeper\\Statistic.ini");
    EXPECT_EQ(CountFilesWith(fs, L"C:\\p"), 2u);
    FakeFs empty;
    empty.AddFolder(L"C:\\e");
    EXPECT_EQ(CountFilesWith(empty, L"C:\\e"), 0u);
}

constexpr uint32_t ReparsePointEncountered = 4395;

TEST(FileTree, ARootThatIsALinkIsRefusedAndItsTargetStays) {
    FakeFs fs;
    fs.AddFolder(L"C:\\Users");
    fs.AddFolder(L"C:\\Users\\me");
    fs.AddFolder(L"C:\\Windows");
    fs.AddFile(L"C:\\Windows\\system.dat");
    // "#SharedObjects" is a junction to C:\Windows: listing it would list the target.
    fs.AddLink(L"C:\\Users\\me\\#SharedObjects", true);
    const TreeResult r = DeleteUnlinkedTreeWith(fs, L"C:\\Users\\me\\#SharedObjects");
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, ReparsePointEncountered);
    EXPECT_TRUE(fs.Listed.empty());
    EXPECT_TRUE(fs.Has(L"C:\\Users\\me\\#SharedObjects"));
}

TEST(FileTree, ARootBelowALinkedFolderIsRefused) {
    FakeFs fs;
    fs.AddLink(L"C:\\Users\\me\\AppData", true); // a junction above the root
    fs.AddFolder(L"C:\\Users\\me\\AppData\\Flash");
    fs.AddFile(L"C:\\Users\\me\\AppData\\Flash\\a.sol");
    const TreeResult r = DeleteUnlinkedTreeWith(fs, L"C:\\Users\\me\\AppData\\Flash\\");
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, ReparsePointEncountered);
    EXPECT_TRUE(fs.Has(L"C:\\Users\\me\\AppData\\Flash\\a.sol"));
    EXPECT_TRUE(fs.Listed.empty());
}

TEST(FileTree, AnUnlinkedRootIsCheckedUpToTheDrivesRootAndDeleted) {
    FakeFs fs;
    fs.AddFolder(L"C:\\Users\\me\\so");
    fs.AddFile(L"C:\\Users\\me\\so\\a.sol");
    const TreeResult r = DeleteUnlinkedTreeWith(fs, L"C:\\Users\\me\\so");
    EXPECT_TRUE(r.Ok);
    EXPECT_FALSE(fs.Has(L"C:\\Users\\me\\so"));
    EXPECT_EQ(fs.Asked, (std::vector<std::wstring>{L"C:\\Users\\me\\so", L"C:\\Users\\me", L"C:\\Users"}));
    EXPECT_FALSE(DeleteUnlinkedTreeWith(fs, L"").Ok);
}

TEST(FileTree, AncestorsStopAtTheDriveOrTheShare) {
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(FolderAndAncestors(L"C:\\a\\b\\"), (Paths{L"C:\\a\\b", L"C:\\a"}));
    EXPECT_TRUE(FolderAndAncestors(L"C:\\").empty());
    EXPECT_EQ(FolderAndAncestors(L"\\\\server\\share\\x"),
              (Paths{L"\\\\server\\share\\x", L"\\\\server\\share"}));
    EXPECT_EQ(FolderAndAncestors(L"relative\\x"), (Paths{L"relative\\x", L"relative"}));
    EXPECT_TRUE(FolderAndAncestors(L"").empty());
}

} // namespace
