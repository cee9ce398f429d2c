#include "core/sources/FavoritesScan.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"
#include "core/platform/UniqueFd.h"
#include "core/shortcuts/ShortcutReaders.h"
#include "core/shortcuts/ShortcutText.h"
#include "core/sources/FavoritesFolder.h"
#include "core/sources/PopulationFrame.h"
#include "core/sources/SourceLimits.h"

namespace {

// One folder level of the walk: the folder's handle (closed while the walk
// is deep below it), which folder it is, its name on disk and as shown, its
// entries and how far they are done, the node its entries go under and its
// depth. The paths are joined from the levels when an entry needs one.
struct ScanFrame {
    CUniqueFd m_folder;
    dev_t m_nDevice = 0;
    ino_t m_nInode = 0;
    std::string m_strName;    // empty for the Favorites folder itself
    std::string m_strDisplay; // its part of the records' folder path
    std::vector<FolderEntry> m_entries;
    size_t m_nNext = 0;
    TreeNode m_parent = kTreeRoot;
    int m_nDepth = 0;
};

// How many folder handles the walk holds at most.
constexpr std::size_t kOpenFolders = 16;

// What an entry is to the tree, and the URL read for a favourite.
struct ClassifiedEntry {
    int m_nKind = KindShortcut;
    std::string m_strUrl;
    CUniqueFd m_folder;                      // a folder's handle, when it could be opened
    std::optional<FolderListing> m_children; // a folder's entries, when it could be read
    FavoriteFileIdentity m_fileId;           // the file (or channel folder) that was read
};

bool IdentifyFolder(int hFolder, dev_t& nDevice, ino_t& nInode)
{
    struct stat info {};
    if (::fstat(hFolder, &info) != 0)
        return false;
    nDevice = info.st_dev;
    nInode = info.st_ino;
    return true;
}

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
        ScanFrame top;
        top.m_folder = std::move(root);
        IdentifyFolder(top.m_folder.Get(), top.m_nDevice, top.m_nInode);
        top.m_entries = std::move(listing.m_entries);
        m_stack.push_back(std::move(top));
        m_nLowestOpen = 0;
        while (!m_stack.empty()) {
            ScanFrame& frame = m_stack.back();
            if (frame.m_nNext == frame.m_entries.size()) {
                Pop();
                continue;
            }
            if (m_hStop.IsSet() || m_bClosing.load())
                return;
            const FolderEntry& entry = frame.m_entries[frame.m_nNext++];
            std::string strPath = DirPath() + "/" + entry.m_strName;
            const bool bAtLimit = frame.m_nDepth >= kMaxFolderDepth;
            ClassifiedEntry what = Classify(frame.m_folder.Get(), entry, strPath, bAtLimit);
            if (what.m_nKind == KindFolder) {
                const std::string strName = DisplayNameOf(entry.m_strName, true);
                const TreeNode node = Insert(frame.m_parent, strName, KindFolder, nullptr);
                if (node == kNoTreeNode || !what.m_children || what.m_children->m_entries.empty())
                    continue;
                ScanFrame child;
                child.m_folder = std::move(what.m_folder);
                if (!IdentifyFolder(child.m_folder.Get(), child.m_nDevice, child.m_nInode))
                    continue;
                child.m_strName = entry.m_strName;
                child.m_strDisplay = strName;
                child.m_entries = std::move(what.m_children->m_entries);
                child.m_parent = node;
                child.m_nDepth = frame.m_nDepth + 1;
                Push(std::move(child)); // `frame` is not used past this point
                continue;
            }
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = DisplayNameOf(entry.m_strName, what.m_nKind == KindChannelLink);
            pItem->m_strPath = std::move(strPath);
            pItem->m_strUrl = std::move(what.m_strUrl);
            pItem->m_nKind = what.m_nKind;
            pItem->m_strFolder = FolderPath();
            pItem->m_nDepth = frame.m_nDepth;
            pItem->m_fileId = what.m_fileId;
            if (!pItem->m_fileId.IsKnown()) {
                // A link or a special file: the entry itself, never followed.
                struct stat info {};
                if (::fstatat(frame.m_folder.Get(), entry.m_strName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
                    pItem->m_fileId = {0, static_cast<std::uint64_t>(info.st_dev),
                                       static_cast<std::uint64_t>(info.st_ino), info.st_mode & S_IFMT};
            }
            pItem->m_fileId.m_nRootLength = static_cast<std::uint32_t>(m_strRoot.size());
            pItem->SetStatus(StatusNotChecked);
            const std::string strName = pItem->m_strName;
            Insert(frame.m_parent, strName, what.m_nKind, std::move(pItem));
        }
    }

    TreeNode FirstTopLevelNode() const { return m_firstTopLevel; }

private:
    // A level deeper; the handle of the outermost open level beyond the
    // innermost kOpenFolders is let go.
    void Push(ScanFrame child)
    {
        m_stack.push_back(std::move(child));
        m_nPathsOf = kNoPaths;
        if (m_stack.size() - m_nLowestOpen > kOpenFolders)
            m_stack[m_nLowestOpen++].m_folder.Reset();
    }

    // Back to the level above; its handle is taken again when it was let go.
    void Pop()
    {
        CUniqueFd done = std::move(m_stack.back().m_folder);
        m_stack.pop_back();
        m_nPathsOf = kNoPaths;
        if (m_stack.empty() || m_nLowestOpen < m_stack.size())
            return;
        m_nLowestOpen = m_stack.size() - 1;
        ScanFrame& frame = m_stack.back();
        if (!(done.IsOpen() && ReopenParent(done.Get(), frame)) && !ReopenFromRoot()) {
            // Moved away while the walk was below it: its other entries are
            // no longer where they were listed.
            Report(DirPath(), ENOENT, true);
            frame.m_nNext = frame.m_entries.size();
        }
    }

    // The folder's handle from its subfolder's "..", if that is still the
    // folder it was.
    static bool ReopenParent(int hChild, ScanFrame& frame)
    {
        CUniqueFd parent;
        if (OpenFavoritesFolderAt(hChild, "..", false, parent) != 0)
            return false;
        dev_t nDevice = 0;
        ino_t nInode = 0;
        if (!IdentifyFolder(parent.Get(), nDevice, nInode) || nDevice != frame.m_nDevice || nInode != frame.m_nInode)
            return false;
        frame.m_folder = std::move(parent);
        return true;
    }

    // The innermost level's handle, walked to again from the Favorites folder
    // level by level, each still the folder it was.
    bool ReopenFromRoot()
    {
        CUniqueFd folder;
        for (std::size_t i = 0; i < m_stack.size(); ++i) {
            CUniqueFd next;
            const int nError = i == 0 ? OpenFavoritesFolderAt(AT_FDCWD, m_strRoot, true, next)
                                      : OpenFavoritesFolderAt(folder.Get(), m_stack[i].m_strName, false, next);
            dev_t nDevice = 0;
            ino_t nInode = 0;
            if (nError != 0 || !IdentifyFolder(next.Get(), nDevice, nInode) || nDevice != m_stack[i].m_nDevice ||
                nInode != m_stack[i].m_nInode)
                return false;
            folder = std::move(next);
        }
        m_stack.back().m_folder = std::move(folder);
        return true;
    }

    // The path on disk of the innermost level and its folder path as shown,
    // joined once for each level the walk comes to.
    void JoinPaths()
    {
        if (m_nPathsOf == m_stack.size())
            return;
        m_strDirPath = m_strRoot;
        m_strFolderPath.clear();
        for (std::size_t i = 1; i < m_stack.size(); ++i) {
            m_strDirPath += '/';
            m_strDirPath += m_stack[i].m_strName;
            if (i > 1)
                m_strFolderPath += '/';
            m_strFolderPath += m_stack[i].m_strDisplay;
        }
        m_nPathsOf = m_stack.size();
    }
    const std::string& DirPath()
    {
        JoinPaths();
        return m_strDirPath;
    }
    const std::string& FolderPath()
    {
        JoinPaths();
        return m_strFolderPath;
    }

    TreeNode Insert(TreeNode parent, const std::string& strName, int nImage, std::shared_ptr<FavoriteItem> pItem)
    {
        const TreeNode node = m_sink.InsertNode(parent, strName, nImage, std::move(pItem));
        if (node != kNoTreeNode && parent == kTreeRoot && m_firstTopLevel == kNoTreeNode)
            m_firstTopLevel = node;
        return node;
    }

    // An entry that vanished while the scan ran is no problem of reading,
    // unless the walk loses what it was reading with it (bEvenIfGone).
    void Report(const std::string& strPath, int nError, bool bEvenIfGone = false) const
    {
        if (nError != 0 && (nError != ENOENT || bEvenIfGone) && m_onProblem)
            m_onProblem({strPath, nError, false, {}});
    }

    ClassifiedEntry Classify(int hFolder, const FolderEntry& entry, const std::string& strPath, bool bAtLimit) const
    {
        ClassifiedEntry what;
        switch (entry.m_nType) {
        case EntryNodeType::Directory:
            if (bAtLimit) {
                if (m_onProblem)
                    m_onProblem({strPath, 0, false,
                                 "folders deeper than " + std::to_string(kMaxFolderDepth) + " levels are not read"});
                what.m_nKind = KindFolder;
                return what;
            }
            return ClassifyFolder(hFolder, entry, strPath);
        case EntryNodeType::Regular: {
            CShortcutFile file = CShortcutFile::OpenAt(hFolder, entry.m_strName, false);
            if (file.IsRegular())
                what.m_fileId = {0, file.Device(), file.Inode(), S_IFREG};
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
                    struct stat info {};
                    if (::fstat(what.m_folder.Get(), &info) == 0)
                        what.m_fileId = {0, static_cast<std::uint64_t>(info.st_dev),
                                         static_cast<std::uint64_t>(info.st_ino), S_IFDIR};
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
    std::vector<ScanFrame> m_stack;
    std::size_t m_nLowestOpen = 0; // the levels from here to the innermost hold their handles
    static constexpr std::size_t kNoPaths = std::size_t(-1);
    std::size_t m_nPathsOf = kNoPaths; // the depth the joined paths are of
    std::string m_strDirPath;
    std::string m_strFolderPath;
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
            onProblem({strRoot, nError, true, {}});
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
