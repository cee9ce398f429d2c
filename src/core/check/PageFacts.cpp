#include "core/check/PageFacts.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;
// Text of one heading or title kept; a longer one is cut.
constexpr std::size_t kMaxLineText = 512;
// Script text searched for a lander's target.
constexpr std::size_t kMaxScriptText = 16 * 1024;

struct DocFree {
    void operator()(xmlDoc* pDoc) const { xmlFreeDoc(pDoc); }
};

std::string_view Name(const xmlNode* pNode)
{
    return pNode->name ? std::string_view(reinterpret_cast<const char*>(pNode->name)) : std::string_view();
}

bool IsNamed(const xmlNode* pNode, std::string_view strName)
{
    const std::string_view name = Name(pNode);
    return name.size() == strName.size() &&
           std::equal(name.begin(), name.end(), strName.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::string Attribute(const xmlNode* pNode, const char* pszName)
{
    for (const xmlAttr* pAttr = pNode->properties; pAttr; pAttr = pAttr->next) {
        if (!pAttr->name || strcasecmp(reinterpret_cast<const char*>(pAttr->name), pszName) != 0)
            continue;
        std::string out;
        for (const xmlNode* pChild = pAttr->children; pChild; pChild = pChild->next)
            if (pChild->content)
                out += reinterpret_cast<const char*>(pChild->content);
        return out;
    }
    return {};
}

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Appends text with blanks collapsed, stopping at nLimit bytes.
void AppendCollapsed(std::string& out, std::string_view text, std::size_t nLimit)
{
    for (const char c : text) {
        if (out.size() >= nLimit)
            return;
        if (IsBlank(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
            continue;
        }
        out += c;
    }
}

std::string Trimmed(std::string str)
{
    while (!str.empty() && str.back() == ' ')
        str.pop_back();
    const auto nFirst = str.find_first_not_of(' ');
    return nFirst == std::string::npos ? std::string() : str.substr(nFirst);
}

// All text below a node, collapsed.
void CollectText(const xmlNode* pNode, std::string& out, std::size_t nLimit, int nDepth = 0)
{
    for (const xmlNode* p = pNode; p && out.size() < nLimit; p = p->next) {
        if (p->type == XML_TEXT_NODE || p->type == XML_CDATA_SECTION_NODE) {
            if (p->content)
                AppendCollapsed(out, reinterpret_cast<const char*>(p->content), nLimit);
        } else if (p->type == XML_ELEMENT_NODE && nDepth < 64) {
            if (!IsNamed(p, "script") && !IsNamed(p, "style"))
                CollectText(p->children, out, nLimit, nDepth + 1);
            out += out.empty() || out.back() == ' ' ? "" : " ";
        }
    }
}

std::size_t CountWords(std::string_view text)
{
    std::size_t nWords = 0;
    bool bInWord = false;
    for (const char c : text) {
        const bool bWordChar = !IsBlank(static_cast<unsigned char>(c));
        nWords += bWordChar && !bInWord;
        bInWord = bWordChar;
    }
    return nWords;
}

// The target of a refresh's content ("0; url=/next"), when it waits no
// longer than a lander does.
std::string RefreshTarget(std::string_view content)
{
    std::size_t i = 0;
    while (i < content.size() && IsBlank(static_cast<unsigned char>(content[i])))
        ++i;
    int nSeconds = 0;
    std::size_t nDigits = 0;
    while (i < content.size() && std::isdigit(static_cast<unsigned char>(content[i])) && nDigits < 6) {
        nSeconds = nSeconds * 10 + (content[i] - '0');
        ++i;
        ++nDigits;
    }
    if (nSeconds > kLanderMaxRefreshSeconds)
        return {};
    const std::string folded = FoldCase(content);
    const auto nUrl = folded.find("url", i);
    if (nUrl == std::string::npos)
        return {};
    std::size_t j = nUrl + 3;
    while (j < content.size() && IsBlank(static_cast<unsigned char>(content[j])))
        ++j;
    if (j >= content.size() || content[j] != '=')
        return {};
    ++j;
    while (j < content.size() && IsBlank(static_cast<unsigned char>(content[j])))
        ++j;
    std::string_view target = content.substr(j);
    if (!target.empty() && (target.front() == '\'' || target.front() == '"')) {
        const char q = target.front();
        target.remove_prefix(1);
        target = target.substr(0, target.find(q));
    }
    while (!target.empty() && IsBlank(static_cast<unsigned char>(target.back())))
        target.remove_suffix(1);
    return std::string(target);
}

// The first quoted address a script assigns to the location: one of
// "location.href =", "location.replace(", "location.assign(",
// "window.location =", "document.location =", "top.location =".
std::string ScriptTarget(std::string_view script)
{
    static constexpr std::array<std::string_view, 6> kSetters{
        "location.href", "location.replace", "location.assign", "window.location", "document.location",
        "top.location"};
    std::size_t nBest = std::string_view::npos;
    std::size_t nAfter = 0;
    for (const auto setter : kSetters) {
        const auto n = script.find(setter);
        if (n != std::string_view::npos && n < nBest) {
            nBest = n;
            nAfter = n + setter.size();
        }
    }
    if (nBest == std::string_view::npos)
        return {};
    std::size_t i = nAfter;
    // Only "=" or "(" and blanks (or ".href") may stand between the setter and its quoted address.
    while (i < script.size() && (IsBlank(static_cast<unsigned char>(script[i])) || script[i] == '=' ||
                                 script[i] == '(' || script.substr(i, 5) == ".href")) {
        i += script.substr(i, 5) == ".href" ? 5 : 1;
    }
    if (i >= script.size() || (script[i] != '"' && script[i] != '\''))
        return {};
    const char q = script[i];
    const auto nEnd = script.find(q, i + 1);
    if (nEnd == std::string_view::npos || nEnd - i - 1 > 4096)
        return {};
    return std::string(script.substr(i + 1, nEnd - i - 1));
}

// An element where script-built applications draw themselves.
bool IsMountPoint(const xmlNode* pNode)
{
    static constexpr std::array<std::string_view, 8> kIds{"root", "app", "__next", "__nuxt", "___gatsby",
                                                          "svelte", "app-root", "main-app"};
    const std::string id = FoldCase(Attribute(pNode, "id"));
    return std::find(kIds.begin(), kIds.end(), id) != kIds.end() || IsNamed(pNode, "app-root");
}

struct Walker {
    PageFacts& m_facts;
    std::string m_strRefresh;
    std::string m_strScripts;

    void Walk(const xmlNode* pNode, int nDepth)
    {
        for (const xmlNode* p = pNode; p; p = p->next) {
            if (p->type == XML_TEXT_NODE || p->type == XML_CDATA_SECTION_NODE) {
                if (p->content)
                    AppendCollapsed(m_facts.m_strVisibleText, reinterpret_cast<const char*>(p->content),
                                    kMaxVisibleText);
                continue;
            }
            if (p->type != XML_ELEMENT_NODE)
                continue;
            if (IsNamed(p, "title")) {
                if (m_facts.m_strTitle.empty()) {
                    std::string text;
                    CollectText(p->children, text, kMaxLineText);
                    m_facts.m_strTitle = Trimmed(std::move(text));
                }
                continue; // a title is not shown in the page
            }
            if (IsNamed(p, "script") || IsNamed(p, "iframe") || IsNamed(p, "frame")) {
                const std::string strSrc = Attribute(p, "src");
                if (!strSrc.empty() && m_facts.m_embedded.size() < kMaxSources)
                    m_facts.m_embedded.push_back(strSrc);
                if (IsNamed(p, "script")) {
                    std::string text;
                    for (const xmlNode* c = p->children; c && m_strScripts.size() < kMaxScriptText; c = c->next)
                        if (c->content)
                            m_strScripts += std::string_view(reinterpret_cast<const char*>(c->content))
                                                .substr(0, kMaxScriptText - m_strScripts.size());
                    m_strScripts += '\n';
                    continue;
                }
            }
            if (IsNamed(p, "style") || IsNamed(p, "template") || IsNamed(p, "noscript"))
                continue;
            if (!m_facts.m_bScriptShell && IsMountPoint(p)) {
                std::string text;
                CollectText(p->children, text, 16);
                m_facts.m_bScriptShell = Trimmed(std::move(text)).empty();
            }
            if (IsNamed(p, "meta") && m_strRefresh.empty()) {
                std::string equiv = FoldCase(Attribute(p, "http-equiv"));
                if (equiv == "refresh")
                    m_strRefresh = RefreshTarget(Attribute(p, "content"));
            }
            if (IsNamed(p, "h1") && m_facts.m_headings.size() < kMaxHeadings) {
                std::string text;
                CollectText(p->children, text, kMaxLineText);
                text = Trimmed(std::move(text));
                if (!text.empty())
                    m_facts.m_headings.push_back(std::move(text));
            }
            // Elements other than those within a line of text part words.
            static constexpr std::array<std::string_view, 14> kInline{
                "a", "span", "b", "i", "em", "strong", "small", "code", "abbr", "sup", "sub", "u", "mark", "font"};
            const bool bBlock = std::none_of(kInline.begin(), kInline.end(),
                                             [p](std::string_view name) { return IsNamed(p, name); });
            std::string& text = m_facts.m_strVisibleText;
            if (bBlock && !text.empty() && text.back() != ' ' && text.size() < kMaxVisibleText)
                text += ' ';
            if (nDepth < 256)
                Walk(p->children, nDepth + 1);
            if (bBlock && !text.empty() && text.back() != ' ' && text.size() < kMaxVisibleText)
                text += ' ';
        }
    }
};

void InitParser()
{
    static std::once_flag s_init;
    std::call_once(s_init, [] { xmlInitParser(); });
}

} // namespace

std::string FoldCase(std::string_view strText)
{
    std::string out(strText);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto d = static_cast<unsigned char>(out[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) // À to Þ, but not ×
                out[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
    return out;
}

PageFacts ReadPageFacts(std::string_view strHtml)
{
    PageFacts facts;
    if (strHtml.empty() || strHtml.size() > static_cast<std::size_t>(INT_MAX))
        return facts;
    InitParser();
    std::unique_ptr<xmlDoc, DocFree> pDoc(
        htmlReadMemory(strHtml.data(), static_cast<int>(strHtml.size()), nullptr, nullptr, kParseOptions));
    if (!pDoc)
        return facts;
    Walker walker{facts, {}, {}};
    walker.Walk(xmlDocGetRootElement(pDoc.get()), 0);
    facts.m_strVisibleText = Trimmed(std::move(facts.m_strVisibleText));
    facts.m_nWords = CountWords(facts.m_strVisibleText);
    if (!walker.m_strRefresh.empty())
        facts.m_strLanderTarget = walker.m_strRefresh;
    else if (facts.m_nWords < kLanderMaxWords)
        facts.m_strLanderTarget = ScriptTarget(walker.m_strScripts);
    return facts;
}

std::string LanderTargetOf(std::string_view strHtml) { return ReadPageFacts(strHtml).m_strLanderTarget; }
