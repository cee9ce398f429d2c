#include "core/sources/bookmarks/ChromiumBookmarks.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "core/sources/SourceLimits.h"

namespace {

using Json = nlohmann::json;

struct ChromiumRoot {
    std::string_view m_strKey;
    std::string_view m_strTitle; // when the file names it not
};
constexpr ChromiumRoot kChromiumRoots[] = {
    {"bookmark_bar", "Bookmarks bar"},
    {"other", "Other bookmarks"},
    {"synced", "Mobile bookmarks"},
};

enum class NodeType : std::uint8_t { Unknown, Url, Folder };

// A node as the file has it; whether it is kept is known at its end only,
// since Chromium writes "children" before "name" and "type".
struct PendingNode {
    std::int32_t m_nParent = -1;
    NodeType m_nType = NodeType::Unknown;
    bool m_bRoot = false;
    std::string m_strName;
    std::string m_strUrl;
};

// What an object or array of the document is to us.
enum class Role : std::uint8_t { Top, Roots, Node, Children, Other };

struct Level {
    explicit Level(Role nRole, std::int32_t nNode = -1) : m_nRole(nRole), m_nNode(nNode) {}
    Role m_nRole;
    std::int32_t m_nNode; // Node: the node; Children: the node they belong to
    std::string m_strKey; // objects: the last key read
};

// Objects and arrays nested deeper than a Bookmarks file with folders
// kMaxFolderDepth deep has them (two a folder: the node and its children,
// below the top, the roots and a node's own members) end the parse at once,
// before a file of nothing but "[" can take memory by the gigabyte.
constexpr std::size_t kMaxJsonDepth = 2 * std::size_t(kMaxFolderDepth) + 6;

class CBookmarksSax : public nlohmann::json_sax<Json> {
public:
    std::vector<PendingNode> m_nodes;
    bool m_bTooDeep = false;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }

    bool string(string_t& strValue) override
    {
        if (m_levels.empty() || m_levels.back().m_nRole != Role::Node)
            return true;
        PendingNode& node = m_nodes[size_t(m_levels.back().m_nNode)];
        const std::string& strKey = m_levels.back().m_strKey;
        if (strKey == "name") {
            if (!node.m_bRoot || !strValue.empty())
                node.m_strName = std::move(strValue);
        } else if (strKey == "url") {
            node.m_strUrl = std::move(strValue);
        } else if (strKey == "type") {
            node.m_nType = strValue == "url"      ? NodeType::Url
                           : strValue == "folder" ? NodeType::Folder
                                                  : NodeType::Unknown;
        }
        return true;
    }

    bool key(string_t& strKey) override
    {
        m_levels.back().m_strKey = std::move(strKey);
        return true;
    }

    bool start_object(std::size_t) override
    {
        if (TooDeep())
            return false;
        if (m_levels.empty()) {
            m_levels.emplace_back(Role::Top);
            return true;
        }
        const Level& parent = m_levels.back();
        if (parent.m_nRole == Role::Top && parent.m_strKey == "roots") {
            m_levels.emplace_back(Role::Roots);
        } else if (parent.m_nRole == Role::Roots && IsRootKey(parent.m_strKey)) {
            m_levels.emplace_back(Role::Node, NewNode(-1, true));
        } else if (parent.m_nRole == Role::Children) {
            m_levels.emplace_back(Role::Node, NewNode(parent.m_nNode, false));
        } else {
            m_levels.emplace_back(Role::Other);
        }
        return true;
    }

    bool end_object() override
    {
        m_levels.pop_back();
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (TooDeep())
            return false;
        if (m_levels.empty())
            m_levels.emplace_back(Role::Other);
        else if (m_levels.back().m_nRole == Role::Node && m_levels.back().m_strKey == "children")
            m_levels.emplace_back(Role::Children, std::int32_t{m_levels.back().m_nNode});
        else
            m_levels.emplace_back(Role::Other);
        return true;
    }

    bool end_array() override
    {
        m_levels.pop_back();
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool TooDeep()
    {
        m_bTooDeep = m_levels.size() >= kMaxJsonDepth;
        return m_bTooDeep;
    }

    static bool IsRootKey(std::string_view strKey)
    {
        for (const ChromiumRoot& root : kChromiumRoots)
            if (strKey == root.m_strKey)
                return true;
        return false;
    }

    std::int32_t NewNode(std::int32_t nParent, bool bRoot)
    {
        PendingNode& node = m_nodes.emplace_back();
        node.m_nParent = nParent;
        node.m_bRoot = bRoot;
        if (bRoot)
            node.m_strName = RootTitle(m_levels.back().m_strKey);
        return std::int32_t(m_nodes.size() - 1);
    }

    static std::string RootTitle(std::string_view strKey)
    {
        for (const ChromiumRoot& root : kChromiumRoots)
            if (strKey == root.m_strKey)
                return std::string(root.m_strTitle);
        return {};
    }

    std::vector<Level> m_levels;
};

// An open file read a chunk at a time, for the parser's iterators.
class CChunkReader {
public:
    CChunkReader(int hFile, const std::function<bool()>& fnAbort) : m_hFile(hFile), m_fnAbort(fnAbort)
    {
        Fill();
    }
    bool AtEnd() const { return m_nPos == m_nSize; }
    char Current() const { return m_buffer[m_nPos]; }
    void Advance()
    {
        if (++m_nPos == m_nSize)
            Fill();
    }
    // The file could not be read to its end.
    bool Failed() const { return m_bFailed; }

private:
    void Fill()
    {
        m_nPos = m_nSize = 0;
        if (m_bFailed || m_fnAbort()) {
            m_bFailed = true;
            return;
        }
        for (;;) {
            const ssize_t n = read(m_hFile, m_buffer.data(), m_buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_bFailed = true;
            else
                m_nSize = std::size_t(n);
            return;
        }
    }

    int m_hFile;
    const std::function<bool()>& m_fnAbort;
    std::vector<char> m_buffer = std::vector<char>(std::size_t(1) << 18);
    std::size_t m_nPos = 0;
    std::size_t m_nSize = 0;
    bool m_bFailed = false;
};

// The characters of a CChunkReader as an input iterator; the default one
// is the end.
class CChunkIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    CChunkIterator() = default;
    explicit CChunkIterator(CChunkReader* pReader) : m_pReader(pReader && !pReader->AtEnd() ? pReader : nullptr) {}
    char operator*() const { return m_pReader->Current(); }
    CChunkIterator& operator++()
    {
        m_pReader->Advance();
        if (m_pReader->AtEnd())
            m_pReader = nullptr;
        return *this;
    }
    CChunkIterator operator++(int)
    {
        CChunkIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CChunkIterator& other) const { return m_pReader == other.m_pReader; }

private:
    CChunkReader* m_pReader = nullptr;
};

// Keeps the folders and the bookmarks with a URL of what the parser found.
BookmarkReadResult StoreOf(CBookmarksSax& sax);

} // namespace

BookmarkReadResult ReadChromiumBookmarks(std::string_view strText)
{
    CBookmarksSax sax;
    if (!Json::sax_parse(strText.begin(), strText.end(), &sax))
        return sax.m_bTooDeep ? BookmarkReadFailure(FolderDepthMessage()) : BookmarkReadResult{};
    return StoreOf(sax);
}

BookmarkReadResult ReadChromiumBookmarks(int hFile, const std::function<bool()>& fnAbort)
{
    CBookmarksSax sax;
    CChunkReader reader(hFile, fnAbort);
    if (!Json::sax_parse(CChunkIterator(&reader), CChunkIterator(), &sax) || reader.Failed())
        return sax.m_bTooDeep ? BookmarkReadFailure(FolderDepthMessage()) : BookmarkReadResult{};
    return StoreOf(sax);
}

namespace {

BookmarkReadResult StoreOf(CBookmarksSax& sax)
{
    BookmarkReadResult result;
    if (sax.m_nodes.empty())
        return result;

    // Keep the folders and the bookmarks with a URL; a node of another type
    // goes with what it holds.
    std::vector<bool> drop(sax.m_nodes.size(), false);
    BookmarkStore& store = result.m_store;
    store.m_entries.reserve(sax.m_nodes.size());
    for (std::size_t i = 0; i < sax.m_nodes.size(); ++i) {
        PendingNode& node = sax.m_nodes[i];
        const bool bFolder = node.m_bRoot || node.m_nType == NodeType::Folder;
        const bool bBookmark = !bFolder && node.m_nType == NodeType::Url && !node.m_strUrl.empty() &&
                               !IsBookmarkQuery(node.m_strUrl);
        drop[i] = !bFolder && !bBookmark;
        store.Add(node.m_nParent, bFolder, TidyBookmarkTitle(node.m_strName),
                  bFolder ? std::string() : std::move(node.m_strUrl));
    }
    sax.m_nodes = {};
    store.Remove(drop);
    store.DropEmptyTopFolders();
    result.m_nResult = BookmarkRead::Read;
    return result;
}

} // namespace
