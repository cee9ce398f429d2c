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
    std::string m_strDir;
    std::vector<FolderEntry> m_entries;
    size_t m_nNext = 0;
    TreeNode m_parent = kTreeRoot;
    std::string m_strFolder;
    int m_nDepth = 0;
};

// What an entry is to the tree, and the URL read for a favourite.
struct ClassifiedEntry {
    int m_nKind = KindShortcut;
    std::string m_strUrl;
    std::optional<FolderListing> m_children; // a folder's entries, when it could be read
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
        stack.push_back({m_strRoot, std::move(listing->m_entries), 0, kTreeRoot, {}, 0});
        while (!stack.empty()) {
            ScanFrame& frame = stack.back();
            if (frame.m_nNext == frame.m_entries.size()) {
                stack.pop_back();
                continue;
            }
            if (m_hStop.IsSet() || m_bClosing.load())
                return;
            const FolderEntry& entry = frame.m_entries[frame.m_nNext++];
            std::string strPath = frame.m_strDir + "/" + entry.m_strName;
            ClassifiedEntry what = Classify(entry, strPath);
            if (what.m_nKind == KindFolder) {
                const std::string strName = DisplayNameOf(entry.m_strName, true);
                const TreeNode node = Insert(frame.m_parent, strName, KindFolder, nullptr);
                if (node == kNoTreeNode || !what.m_children || what.m_children->m_entries.empty())
                    continue;
                ScanFrame child{std::move(strPath), std::move(what.m_children->m_entries), 0, node,
                                frame.m_strFolder.empty() ? strName : frame.m_strFolder + "/" + strName,
                                frame.m_nDepth + 1};
                stack.push_back(std::move(child)); // `frame` is not used past this point
                continue;
            }
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = DisplayNameOf(entry.m_strName, what.m_nKind == KindChannelLink);
            pItem->m_strPath = std::move(strPath);
            pItem->m_strUrl = std::move(what.m_strUrl);
            pItem->m_nKind = what.m_nKind;
            pItem->m_strFolder = frame.m_strFolder;
            pItem->m_nDepth = frame.m_nDepth;
            pItem->SetStatus(StatusNotChecked);
            const std::string strName = pItem->m_strName;
            Insert(frame.m_parent, strName, what.m_nKind, std::move(pItem));
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
        switch (entry.m_nType) {
        case EntryNodeType::Directory:
            what.m_children = ListFavoritesFolder(strPath);
            if (what.m_children && !what.m_children->m_strDesktopIni.empty()) {
                if (auto target = ReadChannelTarget(strPath + "/" + what.m_children->m_strDesktopIni)) {
                    what.m_nKind = KindChannelLink;
                    what.m_strUrl = std::move(*target);
                    what.m_children.reset();
                    return what;
                }
            }
            what.m_nKind = KindFolder;
            return what;
        case EntryNodeType::Regular:
            if (HasExtensionNoCase(entry.m_strName, ".url")) {
                what.m_nKind = KindInternetFavorite;
                what.m_strUrl = ReadInternetShortcutUrl(strPath);
                return what;
            }
            if (HasExtensionNoCase(entry.m_strName, ".desktop")) {
                if (auto url = ReadDesktopLinkUrl(strPath)) {
                    what.m_nKind = KindInternetFavorite;
                    what.m_strUrl = std::move(*url);
                    return what;
                }
            }
            break;
        case EntryNodeType::Symlink:
        case EntryNodeType::Other:
            break;
        }
        what.m_nKind = KindShortcut;
        what.m_strUrl = ReadShellLinkTarget(strPath, m_strWinePrefix);
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
