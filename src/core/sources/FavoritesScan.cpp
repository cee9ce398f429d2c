#include "core/sources/FavoritesScan.h"

#include <fcntl.h>

#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"
#include "core/platform/UniqueFd.h"
#include "core/shortcuts/ShortcutReaders.h"
#include "core/shortcuts/ShortcutText.h"
#include "core/sources/FavoritesFolder.h"
#include "core/sources/PopulationFrame.h"

namespace {

// One folder level of the walk: the folder's handle, its entries and how far
// they are done, the node its entries go under, its folder path (display
// names joined by "/") and its depth.
struct ScanFrame {
    CUniqueFd m_folder;
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
    CUniqueFd m_folder;                      // a folder's handle, when it could be opened
    std::optional<FolderListing> m_children; // a folder's entries, when it could be read
};

// The walk. Iterative, so that a deep tree cannot exhaust the stack; a
// symbolic link is never followed into, so no loop can form.
class FavoritesWalk {
public:
    FavoritesWalk(ITreeSink& sink, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                  std::string strRoot, const ScanProblemFunction& onProblem)
        : m_sink(sink), m_hStop(hStop), m_bClosing(bClosing), m_strRoot(std::move(strRoot)),
          m_strWinePrefix(FindWinePrefix(m_strRoot)), m_onProblem(onProblem)
    {
    }

    void Run(CUniqueFd root, FolderListing listing)
    {
        std::vector<ScanFrame> stack;
        stack.push_back({std::move(root), m_strRoot, std::move(listing.m_entries), 0, kTreeRoot, {}, 0});
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
            ClassifiedEntry what = Classify(frame.m_folder.Get(), entry, strPath);
            if (what.m_nKind == KindFolder) {
                const std::string strName = DisplayNameOf(entry.m_strName, true);
                const TreeNode node = Insert(frame.m_parent, strName, KindFolder, nullptr);
                if (node == kNoTreeNode || !what.m_children || what.m_children->m_entries.empty())
                    continue;
                ScanFrame child{std::move(what.m_folder),
                                std::move(strPath),
                                std::move(what.m_children->m_entries),
                                0,
                                node,
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

    // An entry that vanished while the scan ran is no problem of reading.
    void Report(const std::string& strPath, int nError) const
    {
        if (nError != 0 && nError != ENOENT && m_onProblem)
            m_onProblem({strPath, nError, false});
    }

    ClassifiedEntry Classify(int hFolder, const FolderEntry& entry, const std::string& strPath) const
    {
        ClassifiedEntry what;
        switch (entry.m_nType) {
        case EntryNodeType::Directory:
            return ClassifyFolder(hFolder, entry, strPath);
        case EntryNodeType::Regular: {
            CShortcutFile file = CShortcutFile::OpenAt(hFolder, entry.m_strName, false);
            if (HasExtensionNoCase(entry.m_strName, ".url")) {
                what.m_nKind = KindInternetFavorite;
                const std::string& strBytes = file.ReadUpTo(kShortcutReadLimit);
                if (file.Error() == 0 && file.IsRegular())
                    what.m_strUrl = ParseInternetShortcut(strBytes);
                Report(strPath, file.Error());
                return what;
            }
            if (HasExtensionNoCase(entry.m_strName, ".desktop")) {
                const std::string& strBytes = file.ReadUpTo(kShortcutReadLimit);
                if (file.Error() == 0 && file.IsRegular()) {
                    if (auto url = ParseDesktopLink(strBytes)) {
                        what.m_nKind = KindInternetFavorite;
                        what.m_strUrl = std::move(*url);
                        return what;
                    }
                }
            }
            // Anything else is read as a shell link, from the same descriptor.
            what.m_nKind = KindShortcut;
            what.m_strUrl = ShellLinkTargetOf(file, m_strWinePrefix);
            Report(strPath, file.Error());
            return what;
        }
        case EntryNodeType::Symlink:
            what.m_nKind = KindShortcut;
            what.m_strUrl = ReadShellLinkTarget(strPath, m_strWinePrefix);
            return what;
        case EntryNodeType::Other:
            // A pipe, a socket or a device is never opened.
            break;
        }
        what.m_nKind = KindShortcut;
        return what;
    }

    ClassifiedEntry ClassifyFolder(int hFolder, const FolderEntry& entry, const std::string& strPath) const
    {
        ClassifiedEntry what;
        what.m_nKind = KindFolder;
        // Never through a symbolic link: one put in the folder's place after
        // it was listed fails here (ELOOP or ENOTDIR) and is not walked.
        if (const int nError = OpenFavoritesFolderAt(hFolder, entry.m_strName, false, what.m_folder); nError != 0) {
            Report(strPath, nError);
            return what;
        }
        int nError = 0;
        what.m_children = ListFavoritesFolderAt(what.m_folder.Get(), nError);
        if (!what.m_children) {
            Report(strPath, nError);
            return what;
        }
        if (!what.m_children->m_strDesktopIni.empty()) {
            CShortcutFile ini = CShortcutFile::OpenAt(what.m_folder.Get(), what.m_children->m_strDesktopIni, false);
            const std::string& strBytes = ini.ReadUpTo(kShortcutReadLimit);
            Report(strPath + "/" + what.m_children->m_strDesktopIni, ini.Error());
            if (ini.Error() == 0 && ini.IsRegular()) {
                if (auto target = ParseChannelTarget(strBytes)) {
                    what.m_nKind = KindChannelLink;
                    what.m_strUrl = std::move(*target);
                    what.m_children.reset();
                    what.m_folder.Reset();
                }
            }
        }
        return what;
    }

    ITreeSink& m_sink;
    const ManualResetEvent& m_hStop;
    const std::atomic<bool>& m_bClosing;
    const std::string m_strRoot;
    const std::string m_strWinePrefix;
    const ScanProblemFunction& m_onProblem;
    TreeNode m_firstTopLevel = kNoTreeNode;
};

std::string WithoutTrailingSlashes(std::string strPath)
{
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.pop_back();
    return strPath;
}

} // namespace

void FavoritesScanThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                         const std::string& strRoot, const ScanProblemFunction& onProblem)
{
    if (strRoot.empty())
        return;
    const auto refuse = [&](int nError) {
        if (onProblem)
            onProblem({strRoot, nError, true});
    };
    // The Favorites folder itself may be a symbolic link: the user named it.
    CUniqueFd root;
    if (const int nError = OpenFavoritesFolderAt(AT_FDCWD, strRoot, true, root); nError != 0)
        return refuse(nError);
    int nError = 0;
    std::optional<FolderListing> listing = ListFavoritesFolderAt(root.Get(), nError);
    if (!listing)
        return refuse(nError);

    FavoritesWalk walk(sink, hStop, bClosing, WithoutTrailingSlashes(strRoot), onProblem);
    const auto fill = [&] {
        if (bClosing.load())
            return PopulationEnd::Filled;
        try {
            walk.Run(std::move(root), std::move(*listing));
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
    RunPopulation(sink, state, bClosing, fill, arrange);
}
