#include "core/sources/bookmarks/NetscapeBookmarks.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/AsciiText.h"

namespace {

struct DocFree {
    void operator()(xmlDoc* pDoc) const { xmlFreeDoc(pDoc); }
};
struct XmlFree {
    void operator()(xmlChar* p) const { xmlFree(p); }
};
using XmlText = std::unique_ptr<xmlChar, XmlFree>;

std::string ToString(const XmlText& text) { return text ? std::string(reinterpret_cast<const char*>(text.get())) : std::string(); }

bool IsElement(const xmlNode* pNode, std::string_view strName)
{
    return pNode->type == XML_ELEMENT_NODE && pNode->name != nullptr &&
           EqualsAsciiNoCase(reinterpret_cast<const char*>(pNode->name), strName);
}

// The file names its character set ("charset=" in a META element near the
// top): the parser follows it. Otherwise UTF-8, which every browser writes.
const char* EncodingFor(std::string_view strText)
{
    const std::string_view strHead = strText.substr(0, 4096);
    for (size_t n = 0; n + 8 <= strHead.size(); ++n)
        if (StartsWithAsciiNoCase(strHead.substr(n), "charset="))
            return nullptr;
    return "UTF-8";
}

// Elements that begin the next part of the list: a heading or a link left
// open by a careless writer ends where one of these starts.
bool IsListPart(const xmlNode* pNode)
{
    for (std::string_view strName : {"dl", "dt", "dd", "h3", "a", "hr", "p"})
        if (IsElement(pNode, strName))
            return true;
    return false;
}

// The text of a heading or a link up to the first part of the list nested
// into it.
std::string TitleOf(const xmlNode* pNode)
{
    std::string strTitle;
    for (const xmlNode* pChild = pNode->children; pChild != nullptr && !IsListPart(pChild); pChild = pChild->next)
        strTitle += ToString(XmlText(xmlNodeGetContent(pChild)));
    return TidyBookmarkTitle(strTitle);
}

std::string TrimBlanks(std::string strText)
{
    const auto bBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!strText.empty() && bBlank(strText.back()))
        strText.pop_back();
    size_t n = 0;
    while (n < strText.size() && bBlank(strText[n]))
        ++n;
    return strText.substr(n);
}

class CNetscapeWalk {
public:
    explicit CNetscapeWalk(BookmarkStore& store) : m_store(store) {}

    // Every node of the document in order, without recursion.
    void Run(xmlNode* pRoot)
    {
        xmlNode* pNode = pRoot;
        while (pNode != nullptr) {
            if (Enter(pNode) && pNode->children != nullptr) {
                pNode = pNode->children;
                continue;
            }
            for (;;) {
                Leave(pNode);
                if (pNode == pRoot) {
                    pNode = nullptr;
                    break;
                }
                if (pNode->next != nullptr) {
                    pNode = pNode->next;
                    break;
                }
                pNode = pNode->parent;
            }
        }
    }

private:
    std::int32_t CurrentFolder() const { return m_lists.empty() ? -1 : m_lists.back().second; }

    // True to go on into the node's children.
    bool Enter(xmlNode* pNode)
    {
        // Headings and links go on into their children: a list left inside
        // one that was never closed is still found.
        if (IsElement(pNode, "h3")) {
            m_nPendingFolder = m_store.Add(CurrentFolder(), true, TitleOf(pNode));
            return true;
        }
        if (IsElement(pNode, "a")) {
            const std::string strUrl =
                TrimBlanks(ToString(XmlText(xmlGetProp(pNode, reinterpret_cast<const xmlChar*>("href")))));
            if (!strUrl.empty() && !IsBookmarkQuery(strUrl))
                m_store.Add(CurrentFolder(), false, TitleOf(pNode), strUrl);
            // A heading's list comes right after it, before any link.
            m_nPendingFolder = -1;
            return true;
        }
        if (IsElement(pNode, "dl")) {
            const std::int32_t nFolder = m_nPendingFolder >= 0 ? m_nPendingFolder : CurrentFolder();
            m_nPendingFolder = -1;
            m_lists.emplace_back(pNode, nFolder);
            return true;
        }
        // The title of the file, and the text of scripts and styles.
        return !IsElement(pNode, "h1") && !IsElement(pNode, "title") && !IsElement(pNode, "script") &&
               !IsElement(pNode, "style");
    }

    void Leave(const xmlNode* pNode)
    {
        if (!m_lists.empty() && m_lists.back().first == pNode) {
            m_lists.pop_back();
            // A heading whose list never came stays an empty folder.
            m_nPendingFolder = -1;
        }
    }

    BookmarkStore& m_store;
    std::vector<std::pair<const xmlNode*, std::int32_t>> m_lists; // the lists we are in, and their folders
    std::int32_t m_nPendingFolder = -1; // a heading waiting for its list
};

// Loose markup is mended; nothing is fetched from the network; the
// parser's complaints about the markup are no concern of the user's.
constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;

void InitParser()
{
    static std::once_flag s_init;
    std::call_once(s_init, [] { xmlInitParser(); });
}

BookmarkReadResult StoreOf(xmlDoc* pDoc)
{
    const std::unique_ptr<xmlDoc, DocFree> doc(pDoc);
    BookmarkReadResult result;
    if (!doc)
        return result;
    if (xmlNode* pRoot = xmlDocGetRootElement(doc.get()))
        CNetscapeWalk(result.m_store).Run(pRoot);
    result.m_nResult = BookmarkRead::Read;
    return result;
}

} // namespace

BookmarkReadResult ReadNetscapeBookmarks(std::string_view strText)
{
    if (strText.size() > size_t(INT_MAX))
        return {};
    InitParser();
    return StoreOf(htmlReadMemory(strText.data(), int(strText.size()), nullptr, EncodingFor(strText), kParseOptions));
}

BookmarkReadResult ReadNetscapeBookmarks(int hFile, std::string_view strHead)
{
    InitParser();
    return StoreOf(htmlReadFd(hFile, nullptr, EncodingFor(strHead), kParseOptions));
}
