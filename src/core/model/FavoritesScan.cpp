#include "model/FavoritesScan.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "model/FavoriteKind.h"
#include "model/FavoritesFolder.h"
#include "model/LinkStatus.h"
#include "model/Population.h"
#include "model/ShortcutReaders.h"
#include "platform/PathUtil.h"

namespace {

// One folder level of the walk: its entries and how far they are done, the
// node its entries go under, its folder path (display names joined by "/")
// and its depth.
struct ScanFrame {
    std::string strDir;
    std::vector<FolderEntry> entries;
    size_t nNext = 0;
    TreeNode parent = kTreeRoot;
    std::string strFolder;
    int nDepth = 0;
};

// What an entry is to the tree, and the URL read for a favourite.
struct ClassifiedEntry {
    int nKind = KindShortcut;
    std::string strUrl;
    std::optional<FolderListing> children; // a folder's entries, when it could be read
};

// The walk. Iterative, so that a deep tree cannot exhaust the stack; a
// symbolic link is never followed into, so no loop can form.
class FavoritesWalk {
public:
    FavoritesWalk(ITreeSink& sink, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                  std::string strRoot)
        : m_sink(sink), m_hStop(hStop), m_bClosing(bClosing), m_strRoot(std::move(strRoot)),
          m_strWinePrefix(FindWinePrefix(m_strRoot))
    {
    }

    void Run()
    {
        auto listing = ListFavoritesFolder(m_strRoot);
        if (!listing)
            return; // an unreadable folder lists nothing
        std::vector<ScanFrame> stack;
        stack.push_back({m_strRoot, std::move(listing->entries), 0, kTreeRoot, {}, 0});
        while (!stack.empty()) {
            ScanFrame& frame = stack.back();
            if (frame.nNext == frame.entries.size()) {
                stack.pop_back();
                continue;
            }
            if (m_hStop.IsSet() || m_bClosing.load())
                return;
            const FolderEntry& entry = frame.entries[frame.nNext++];
            std::string strPath = frame.strDir + "/" + entry.strName;
            ClassifiedEntry what = Classify(entry, strPath);
            if (what.nKind == KindFolder) {
                const std::string strName = DisplayNameOf(entry.strName, true);
                const TreeNode node = Insert(frame.parent, strName, KindFolder, nullptr);
                if (node == kNoTreeNode || !what.children || what.children->entries.empty())
                    continue;
                ScanFrame child{std::move(strPath), std::move(what.children->entries), 0, node,
                                frame.strFolder.empty() ? strName : frame.strFolder + "/" + strName,
                                frame.nDepth + 1};
                stack.push_back(std::move(child)); // `frame` is not used past this point
                continue;
            }
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = DisplayNameOf(entry.strName, what.nKind == KindChannelLink);
            pItem->m_strPath = std::move(strPath);
            pItem->m_strUrl = std::move(what.strUrl);
            pItem->m_nKind = what.nKind;
            pItem->m_strFolder = frame.strFolder;
            pItem->m_nDepth = frame.nDepth;
            pItem->SetStatus(StatusNotChecked);
            const std::string strName = pItem->m_strName;
            Insert(frame.parent, strName, what.nKind, std::move(pItem));
        }
    }

    TreeNode FirstTopLevelNode() const { return m_firstTopLevel; }

private:
    TreeNode Insert(TreeNode parent, const std::string& strName, int nImage, std::shared_ptr<FavoriteItem> pItem)
    {
        const TreeNode node = m_sink.InsertNode(parent, strName, nImage, std::move(pItem));
        if (node != kNoTreeNode && parent == kTreeRoot && m_firstTopLevel == kNoTreeNode)
            m_firstTopLevel = node;
        return node;
    }

    ClassifiedEntry Classify(const FolderEntry& entry, const std::string& strPath) const
    {
        ClassifiedEntry what;
        switch (entry.nType) {
        case EntryNodeType::Directory:
            what.children = ListFavoritesFolder(strPath);
            if (what.children && !what.children->strDesktopIni.empty()) {
                if (auto target = ReadChannelTarget(strPath + "/" + what.children->strDesktopIni)) {
                    what.nKind = KindChannelLink;
                    what.strUrl = std::move(*target);
                    what.children.reset();
                    return what;
                }
            }
            what.nKind = KindFolder;
            return what;
        case EntryNodeType::Regular:
            if (HasExtensionNoCase(entry.strName, ".url")) {
                what.nKind = KindInternetFavorite;
                what.strUrl = ReadInternetShortcutUrl(strPath);
                return what;
            }
            if (HasExtensionNoCase(entry.strName, ".desktop")) {
                if (auto url = ReadDesktopLinkUrl(strPath)) {
                    what.nKind = KindInternetFavorite;
                    what.strUrl = std::move(*url);
                    return what;
                }
            }
            break;
        case EntryNodeType::Symlink:
        case EntryNodeType::Other:
            break;
        }
        what.nKind = KindShortcut;
        what.strUrl = ReadShellLinkTarget(strPath, m_strWinePrefix);
        return what;
    }

    ITreeSink& m_sink;
    const ManualResetEvent& m_hStop;
    const std::atomic<bool>& m_bClosing;
    const std::string m_strRoot;
    const std::string m_strWinePrefix;
    TreeNode m_firstTopLevel = kNoTreeNode;
};

std::string WithoutTrailingSlashes(std::string strPath)
{
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.pop_back();
    return strPath;
}

} // namespace

void FavoritesScanThread(ITreeSink& sink, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                         const std::string& strRoot)
{
    if (strRoot.empty() || !PathIsDirectoryA(strRoot))
        return;

    FavoritesWalk walk(sink, hStop, bClosing, WithoutTrailingSlashes(strRoot));
    const auto fill = [&] {
        if (bClosing.load())
            return PopulationEnd::Filled;
        try {
            walk.Run();
        } catch (const std::exception&) {
            // Out of memory in the middle of a walk: keep what was inserted
            // and still hand the view a usable tree.
        }
        return PopulationEnd::Filled;
    };
    const auto arrange = [&] {
        if (walk.FirstTopLevelNode() == kNoTreeNode)
            return;
        sink.ExpandAllBranches();
        sink.EnsureVisible(walk.FirstTopLevelNode());
    };
    RunPopulation(sink, bClosing, fill, arrange);
}
