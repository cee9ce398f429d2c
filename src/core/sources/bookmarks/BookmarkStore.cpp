#include "core/sources/bookmarks/BookmarkStore.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/platform/AsciiText.h"
#include "core/sources/SourceLimits.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"

namespace {

constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view SkipMarkAndBlanks(std::string_view strText)
{
    if (strText.starts_with(kUtf8Mark))
        strText.remove_prefix(kUtf8Mark.size());
    while (!strText.empty() && IsBlank(strText.front()))
        strText.remove_prefix(1);
    return strText;
}

// A top-level object with a "roots" member, as far as the head shows: the
// key followed by its colon. Chromium writes the members sorted by name, so
// "roots" comes right after the short "checksum".
bool LooksLikeChromiumBookmarks(std::string_view strText)
{
    if (strText.empty() || strText.front() != '{')
        return false;
    for (size_t nAt = strText.find("\"roots\""); nAt != std::string_view::npos;
         nAt = strText.find("\"roots\"", nAt + 1)) {
        size_t n = nAt + 7;
        while (n < strText.size() && IsBlank(strText[n]))
            ++n;
        if (n < strText.size() && strText[n] == ':')
            return true;
    }
    return false;
}

} // namespace

std::int32_t BookmarkStore::Add(std::int32_t nParent, bool bFolder, std::string strTitle, std::string strUrl)
{
    m_entries.push_back({nParent, bFolder, std::move(strTitle), std::move(strUrl)});
    return static_cast<std::int32_t>(m_entries.size() - 1);
}

void BookmarkStore::Remove(const std::vector<bool>& drop)
{
    // A folder comes before what it holds, so one pass in order sees every
    // parent's fate before its children's.
    std::vector<std::int32_t> newIndex(m_entries.size(), -1);
    std::size_t nKept = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        BookmarkEntry& entry = m_entries[i];
        const bool bParentGone = entry.m_nParent >= 0 && newIndex[size_t(entry.m_nParent)] < 0;
        if ((i < drop.size() && drop[i]) || bParentGone)
            continue;
        if (entry.m_nParent >= 0)
            entry.m_nParent = newIndex[size_t(entry.m_nParent)];
        newIndex[i] = std::int32_t(nKept);
        if (nKept != i)
            m_entries[nKept] = std::move(entry);
        ++nKept;
    }
    m_entries.resize(nKept);
}

void BookmarkStore::DropEmptyTopFolders()
{
    std::vector<bool> hasContent(m_entries.size(), false);
    for (const BookmarkEntry& entry : m_entries)
        if (entry.m_nParent >= 0)
            hasContent[size_t(entry.m_nParent)] = true;
    std::vector<bool> drop(m_entries.size(), false);
    bool bAny = false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].m_nParent < 0 && m_entries[i].m_bFolder && !hasContent[i]) {
            drop[i] = true;
            bAny = true;
        }
    }
    if (bAny)
        Remove(drop);
}

std::int32_t BookmarkStore::MaxDepth() const
{
    // A folder comes before what it holds, so its depth is known first.
    std::vector<std::int32_t> depth(m_entries.size(), 0);
    std::int32_t nMax = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::int32_t nParent = m_entries[i].m_nParent;
        depth[i] = nParent >= 0 && std::size_t(nParent) < i ? depth[size_t(nParent)] + 1 : 0;
        nMax = std::max(nMax, depth[i]);
    }
    return nMax;
}

std::uint64_t BookmarkStore::FolderPathBytes() const
{
    std::vector<std::uint64_t> pathBytes(m_entries.size(), 0); // of a folder's own path
    std::uint64_t nTotal = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const BookmarkEntry& entry = m_entries[i];
        const bool bNested = entry.m_nParent >= 0 && std::size_t(entry.m_nParent) < i;
        const std::uint64_t nParentPath = bNested ? pathBytes[size_t(entry.m_nParent)] : 0;
        if (entry.m_bFolder)
            pathBytes[i] = nParentPath + (nParentPath > 0 ? 1 : 0) + entry.m_strTitle.size();
        else
            nTotal += nParentPath;
    }
    return nTotal;
}

BookmarkReadResult BookmarkReadFailure(std::string strError)
{
    BookmarkReadResult result;
    result.m_strError = std::move(strError);
    return result;
}

std::string FolderDepthMessage()
{
    return "Its folders are nested more than " + std::to_string(kMaxFolderDepth) +
           " deep; Zorbel reads bookmark folders up to " + std::to_string(kMaxFolderDepth) + " levels deep.";
}

BookmarkFormat SniffBookmarkFormat(std::string_view strHead)
{
    if (strHead.starts_with(kSqliteHeader))
        return BookmarkFormat::FirefoxPlaces;
    const std::string_view strText = SkipMarkAndBlanks(strHead);
    if (LooksLikeChromiumBookmarks(strText))
        return BookmarkFormat::ChromiumJson;
    if (LooksLikeNetscapeBookmarks(strHead))
        return BookmarkFormat::NetscapeHtml;
    return BookmarkFormat::None;
}

bool IsBookmarkQuery(std::string_view strUrl) { return StartsWithAsciiNoCase(strUrl, "place:"); }

std::string TidyBookmarkTitle(std::string_view strTitle)
{
    std::string strTidy;
    strTidy.reserve(strTitle.size());
    bool bBlank = false;
    for (char c : strTitle) {
        if (IsBlank(c)) {
            bBlank = true;
            continue;
        }
        if (bBlank && !strTidy.empty())
            strTidy += ' ';
        bBlank = false;
        strTidy += c;
    }
    return strTidy;
}
