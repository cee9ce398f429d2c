#include "core/sources/bookmarks/BookmarkSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/platform/ManualResetEvent.h"
#include "core/platform/UniqueFd.h"
#include "core/sources/bookmarks/ChromiumBookmarks.h"
#include "core/sources/bookmarks/FirefoxPlaces.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"
#include "core/sources/PopulationFrame.h"
#include "core/sources/SourceLimits.h"
#include "core/sources/SourceLinks.h"

namespace {

// Far more than any browser writes for its bookmarks.
constexpr std::size_t kMaxBookmarkFileBytes = std::size_t(1) << 30;
constexpr std::size_t kReadChunk = 1 << 20;
// What the folder paths of all records may come to.
constexpr std::uint64_t kMaxFolderPathBytes = std::uint64_t(256) << 20;

// Opens a regular file for reading only; non-blocking, so that a named pipe
// cannot hold the thread before the type test refuses it.
int OpenRegularFile(const std::string& strPath)
{
    if (strPath.find('\0') != std::string::npos)
        return -1;
    const int hFile = open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (hFile < 0)
        return -1;
    struct stat info {};
    if (fstat(hFile, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(hFile);
        return -1;
    }
    return hFile;
}

// Up to nMax bytes from the start of the file; nullopt when reading fails,
// the file is larger than nMax and bWhole is asked for, or fnAbort says so.
std::optional<std::string> ReadFile(const std::string& strPath, std::size_t nMax, bool bWhole,
                                    const std::function<bool()>& fnAbort)
{
    CUniqueFd file(OpenRegularFile(strPath));
    if (file.Get() < 0)
        return std::nullopt;
    std::string strText;
    std::vector<char> buffer(std::min(nMax + 1, kReadChunk));
    while (strText.size() <= nMax) {
        if (fnAbort())
            return std::nullopt;
        const ssize_t n = read(file.Get(), buffer.data(), std::min(buffer.size(), nMax + 1 - strText.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return strText;
        strText.append(buffer.data(), std::size_t(n));
    }
    if (bWhole)
        return std::nullopt;
    strText.resize(nMax);
    return strText;
}

} // namespace

BookmarkFormat SniffBookmarkFile(const std::string& strPath)
{
    const auto strHead = ReadFile(strPath, kBookmarkSniffBytes, false, [] { return false; });
    return strHead ? SniffBookmarkFormat(*strHead) : BookmarkFormat::None;
}

namespace {

BookmarkReadResult ReadStoreOfFormat(const std::string& strPath, BookmarkFormat nFormat,
                                     const std::function<bool()>& fnAbort)
{
    if (nFormat == BookmarkFormat::FirefoxPlaces)
        return ReadFirefoxPlaces(strPath, fnAbort);
    if (nFormat == BookmarkFormat::None)
        return {BookmarkRead::NotAStore, {}, {}};
    CUniqueFd file(OpenRegularFile(strPath));
    struct stat info {};
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0 || std::size_t(info.st_size) > kMaxBookmarkFileBytes)
        return {};
    // The content decides, as it did when the file was recognised: it may
    // have been replaced since.
    std::string strHead(kBookmarkSniffBytes, '\0');
    ssize_t nHead;
    while ((nHead = pread(file.Get(), strHead.data(), strHead.size(), 0)) < 0 && errno == EINTR) {
    }
    if (nHead < 0)
        return {};
    strHead.resize(std::size_t(nHead));
    const BookmarkFormat nNow = SniffBookmarkFormat(strHead);
    if (nNow == BookmarkFormat::ChromiumJson)
        return ReadChromiumBookmarks(file.Get(), fnAbort);
    if (nNow == BookmarkFormat::NetscapeHtml)
        return ReadNetscapeBookmarks(file.Get(), kMaxBookmarkFileBytes, fnAbort);
    return {BookmarkRead::NotAStore, {}, {}};
}

} // namespace

BookmarkReadResult ReadBookmarkStore(const std::string& strPath, BookmarkFormat nFormat,
                                     const std::function<bool()>& fnAbort)
{
    BookmarkReadResult result = ReadStoreOfFormat(strPath, nFormat, fnAbort);
    if (result.m_nResult != BookmarkRead::Read)
        return result;
    if (result.m_store.MaxDepth() > kMaxFolderDepth)
        return BookmarkReadFailure(FolderDepthMessage());
    // Each record holds the whole path of its folder: long folder names
    // over many bookmarks would multiply what the file holds.
    if (result.m_store.FolderPathBytes() > kMaxFolderPathBytes)
        return BookmarkReadFailure("Its folder names, repeated in the path of every bookmark, come to more than " +
                                   std::to_string(kMaxFolderPathBytes >> 20) + " MB.");
    return result;
}

std::optional<std::size_t> CountBookmarks(const std::string& strPath, const std::function<bool()>& fnAbort)
{
    const BookmarkFormat nFormat = SniffBookmarkFile(strPath);
    if (nFormat == BookmarkFormat::None)
        return std::nullopt;
    const BookmarkReadResult result = ReadBookmarkStore(strPath, nFormat, fnAbort);
    if (result.m_nResult != BookmarkRead::Read || fnAbort())
        return std::nullopt;
    return std::size_t(std::count_if(result.m_store.m_entries.begin(), result.m_store.m_entries.end(),
                                     [](const BookmarkEntry& entry) { return !entry.m_bFolder; }));
}

TreeNode InsertBookmarks(ITreeSink& sink, BookmarkStore&& store, const std::string& strStorePath,
                         const std::function<bool()>& fnAbort)
{
    std::vector<BookmarkEntry>& entries = store.m_entries;
    // Each folder's entries as a chain: first entry, then the next of each.
    std::vector<std::int32_t> firstChild(entries.size(), -1);
    std::vector<std::int32_t> nextSibling(entries.size(), -1);
    std::vector<std::int32_t> lastChild(entries.size(), -1);
    std::int32_t nFirstTop = -1;
    std::int32_t nLastTop = -1;
    for (std::int32_t i = 0; i < std::int32_t(entries.size()); ++i) {
        const std::int32_t nParent = entries[size_t(i)].m_nParent;
        std::int32_t& nFirst = nParent < 0 ? nFirstTop : firstChild[size_t(nParent)];
        std::int32_t& nLast = nParent < 0 ? nLastTop : lastChild[size_t(nParent)];
        if (nFirst < 0)
            nFirst = i;
        else
            nextSibling[size_t(nLast)] = i;
        nLast = i;
    }

    // One level per open folder: the folder's entry (its title is its part
    // of the path) and no more, so that the levels grow with the depth
    // alone; the path of a record is joined from them when it is made.
    struct Level {
        std::int32_t m_nNext; // the next entry of this folder to insert
        TreeNode m_node;
        std::int32_t m_nFolder; // the folder's entry; -1 at the top
    };
    std::vector<Level> stack;
    stack.push_back({nFirstTop, kTreeRoot, -1});
    const auto folderPath = [&] {
        std::string strFolder;
        for (const Level& level : stack) {
            if (level.m_nFolder < 0)
                continue;
            if (!strFolder.empty())
                strFolder += '/';
            strFolder += entries[size_t(level.m_nFolder)].m_strTitle;
        }
        return strFolder;
    };
    // The path of the folder whose entries are being inserted, joined once.
    std::string strFolder;
    std::int32_t nFolderOfPath = -2;
    TreeNode firstTopNode = kNoTreeNode;
    std::size_t nInserted = 0;
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.m_nNext < 0) {
            stack.pop_back();
            continue;
        }
        if ((++nInserted & 0xFF) == 0 && fnAbort())
            break;
        BookmarkEntry& entry = entries[size_t(level.m_nNext)];
        const std::int32_t nIndex = level.m_nNext;
        level.m_nNext = nextSibling[size_t(nIndex)];
        if (entry.m_bFolder) {
            const TreeNode node =
                sink.InsertNode(level.m_node, entry.m_strTitle, ImageFor(KindFolder, StatusNotChecked), nullptr);
            if (firstTopNode == kNoTreeNode && level.m_node == kTreeRoot)
                firstTopNode = node;
            if (node == kNoTreeNode || firstChild[size_t(nIndex)] < 0)
                continue;
            stack.push_back({firstChild[size_t(nIndex)], node, nIndex}); // `level` is stale now
            continue;
        }
        if (nFolderOfPath != level.m_nFolder) {
            strFolder = folderPath();
            nFolderOfPath = level.m_nFolder;
        }
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = entry.m_strTitle.empty() ? entry.m_strUrl : std::move(entry.m_strTitle);
        pItem->m_strUrl = std::move(entry.m_strUrl);
        pItem->m_strPath = strStorePath;
        pItem->m_strFolder = strFolder;
        pItem->m_nDepth = std::int32_t(stack.size() - 1);
        pItem->m_nKind = KindInternetFavorite;
        pItem->SetStatus(StatusNotChecked);
        const std::string strName = pItem->m_strName;
        const TreeNode node =
            sink.InsertNode(level.m_node, strName, ImageFor(KindInternetFavorite, StatusNotChecked), std::move(pItem));
        if (firstTopNode == kNoTreeNode && level.m_node == kTreeRoot)
            firstTopNode = node;
    }
    return firstTopNode;
}

void BookmarkSourceThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop,
                          const std::atomic<bool>& bClosing, const std::string& strPath, BookmarkFormat nFormat,
                          NotAStoreIs nNotAStore, int nTimeoutMs, std::string* pstrSourceError)
{
    const std::function<bool()> fnAbort = [&] { return bClosing.load() || hStop.IsSet(); };
    TreeNode firstTop = kNoTreeNode;
    const auto fill = [&] {
        BookmarkReadResult result = ReadBookmarkStore(strPath, nFormat, fnAbort);
        if (fnAbort())
            return PopulationEnd::Filled; // stopped: nothing to report
        const bool bLinks = result.m_nResult == BookmarkRead::NotAStore && nNotAStore == NotAStoreIs::Links;
        if (pstrSourceError != nullptr && !bLinks && !result.m_strError.empty())
            *pstrSourceError += "\n" + result.m_strError;
        switch (result.m_nResult) {
        case BookmarkRead::Read:
            firstTop = InsertBookmarks(sink, std::move(result.m_store), strPath, fnAbort);
            return PopulationEnd::Filled;
        case BookmarkRead::NotAStore:
            if (nNotAStore == NotAStoreIs::Links)
                return FillWithSourceLinks(sink, strPath, fnAbort, nTimeoutMs);
            return PopulationEnd::SourceError;
        case BookmarkRead::Failed:
            break;
        }
        return PopulationEnd::SourceError;
    };
    const auto arrange = [&] {
        if (firstTop == kNoTreeNode)
            return;
        sink.ExpandAllBranches();
        sink.EnsureVisible(firstTop);
    };
    RunPopulation(sink, state, bClosing, fill, arrange);
}
