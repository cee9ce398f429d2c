#include "core/sources/bookmarks/NetscapeBookmarks.h"

#include <iconv.h>
#include <libxml/HTMLparser.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/AsciiText.h"
#include "core/shortcuts/TextEncoding.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9'); }

std::string AsciiLowerCopy(std::string_view strText)
{
    std::string strOut(strText);
    for (char& c : strOut)
        c = AsciiLower(c);
    return strOut;
}

// ---------------------------------------------------------------- entities

// A numeric reference's code point as a browser takes it: nothing, a
// surrogate or beyond Unicode is U+FFFD, and 0x80 to 0x9F are Windows-1252.
char32_t NumericReference(std::uint32_t nValue)
{
    if (nValue == 0 || nValue > 0x10FFFF || (nValue >= 0xD800 && nValue <= 0xDFFF))
        return 0xFFFD;
    if (nValue >= 0x80 && nValue <= 0x9F) {
        const std::string strByte(1, char(nValue));
        const std::string strUtf8 = Windows1252ToUtf8(strByte);
        size_t nPos = 0;
        if (auto cp = NextUtf8CodePoint(strUtf8, nPos))
            return *cp;
    }
    return char32_t(nValue);
}

// Decodes the character references of a text or an attribute value:
// numeric ones, and the named ones of HTML 4 (libxml2's table) with their
// semicolon; the four that real files write without one (&amp &lt &gt
// &quot) also without, except in an attribute value before a letter, digit
// or "=", where a browser leaves them as written ("?a=1&ampx=2").
std::string DecodeEntities(std::string_view strText, bool bAttribute)
{
    if (strText.find('&') == std::string_view::npos)
        return std::string(strText);
    std::string strOut;
    strOut.reserve(strText.size());
    size_t n = 0;
    while (n < strText.size()) {
        const char c = strText[n];
        if (c != '&') {
            strOut += c;
            ++n;
            continue;
        }
        size_t nEnd = n + 1;
        if (nEnd < strText.size() && strText[nEnd] == '#') {
            ++nEnd;
            const bool bHex = nEnd < strText.size() && (strText[nEnd] == 'x' || strText[nEnd] == 'X');
            if (bHex)
                ++nEnd;
            const size_t nDigits = nEnd;
            std::uint32_t nValue = 0;
            while (nEnd < strText.size()) {
                const char d = strText[nEnd];
                int nDigit = -1;
                if (d >= '0' && d <= '9')
                    nDigit = d - '0';
                else if (bHex && d >= 'a' && d <= 'f')
                    nDigit = d - 'a' + 10;
                else if (bHex && d >= 'A' && d <= 'F')
                    nDigit = d - 'A' + 10;
                if (nDigit < 0)
                    break;
                nValue = nValue > 0x10FFFF ? nValue : nValue * (bHex ? 16 : 10) + std::uint32_t(nDigit);
                ++nEnd;
            }
            if (nEnd == nDigits) { // "&#" with no digits stays as written
                strOut += c;
                ++n;
                continue;
            }
            if (nEnd < strText.size() && strText[nEnd] == ';')
                ++nEnd;
            AppendUtf8(strOut, NumericReference(nValue));
            n = nEnd;
            continue;
        }
        while (nEnd < strText.size() && IsAsciiAlnum(strText[nEnd]) && nEnd - n <= 32)
            ++nEnd;
        const std::string strName(strText.substr(n + 1, nEnd - n - 1));
        if (!strName.empty() && nEnd < strText.size() && strText[nEnd] == ';') {
            if (const htmlEntityDesc* pEntity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(strName.c_str()))) {
                AppendUtf8(strOut, char32_t(pEntity->value));
                n = nEnd + 1;
                continue;
            }
        }
        // The few that go without a semicolon: the longest that fits.
        bool bDone = false;
        for (const auto& [strBare, cValue] :
             {std::pair<std::string_view, char>{"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}}) {
            if (!strText.substr(n + 1).starts_with(strBare))
                continue;
            const size_t nAfter = n + 1 + strBare.size();
            const bool bSemicolon = nAfter < strText.size() && strText[nAfter] == ';';
            if (bSemicolon)
                break; // had it been known, the table would have said so
            const bool bFollowed =
                nAfter < strText.size() && (IsAsciiAlnum(strText[nAfter]) || strText[nAfter] == '=');
            if (bAttribute && bFollowed)
                break;
            strOut += cValue;
            n = nAfter;
            bDone = true;
            break;
        }
        if (!bDone) {
            strOut += c;
            ++n;
        }
    }
    return strOut;
}

// ---------------------------------------------------------------- the tags

struct Token {
    enum Kind { Text, StartTag, EndTag, Comment, Declaration };
    Kind m_nKind = Text;
    std::string_view m_strRaw;  // Text: the text as written; Declaration: what is between "<!" and ">"
    std::string m_strName;      // tags: the name in lower case
    std::vector<std::pair<std::string, std::string>> m_attributes; // names in lower case, values as written

    std::optional<std::string_view> Attribute(std::string_view strName) const
    {
        for (const auto& [strKey, strValue] : m_attributes)
            if (strKey == strName)
                return std::string_view(strValue);
        return std::nullopt;
    }
};

// The text split into text and tags, the way an HTML tokenizer splits it,
// without any notion of which element holds which: a "<" that begins no
// tag is text, a comment left open ends at the first ">", and a tag cut off
// by the end of the text is dropped.
class CTagStream {
public:
    explicit CTagStream(std::string_view strText) : m_strText(strText) {}

    bool Next(Token& token)
    {
        token.m_attributes.clear();
        token.m_strName.clear();
        while (m_nPos < m_strText.size()) {
            const size_t nStart = m_nPos;
            if (m_strText[m_nPos] != '<' || !BeginsMarkup(m_nPos)) {
                size_t nEnd = m_strText.find('<', m_nPos + 1);
                while (nEnd != std::string_view::npos && !BeginsMarkup(nEnd))
                    nEnd = m_strText.find('<', nEnd + 1);
                m_nPos = nEnd == std::string_view::npos ? m_strText.size() : nEnd;
                token.m_nKind = Token::Text;
                token.m_strRaw = m_strText.substr(nStart, m_nPos - nStart);
                return true;
            }
            if (ReadMarkup(token))
                return true;
            if (m_nPos <= nStart) // cut off by the end of the text
                m_nPos = m_strText.size();
        }
        return false;
    }

private:
    // "<" starts a tag when a letter, "/" and a letter, "!" or "?" follow.
    bool BeginsMarkup(size_t nAt) const
    {
        if (nAt + 1 >= m_strText.size())
            return false;
        const char c = m_strText[nAt + 1];
        if (IsAsciiLetter(c) || c == '!' || c == '?')
            return true;
        return c == '/' && nAt + 2 < m_strText.size() && (IsAsciiLetter(m_strText[nAt + 2]) || m_strText[nAt + 2] == '>');
    }

    bool ReadMarkup(Token& token)
    {
        const size_t nStart = m_nPos;
        const char c = m_strText[nStart + 1];
        if (c == '!' || c == '?' || (c == '/' && m_strText[nStart + 2] == '>')) {
            if (m_strText.substr(nStart).starts_with("<!--")) {
                // Once no "-->" follows, none follows any later comment either.
                size_t nEnd = nStart + 4 < m_nNoCommentEnd ? m_strText.find("-->", nStart + 4) : std::string_view::npos;
                size_t nSkip = 3;
                if (nEnd == std::string_view::npos) {
                    m_nNoCommentEnd = std::min(m_nNoCommentEnd, nStart + 4);
                    nEnd = m_strText.find('>', nStart + 4);
                    nSkip = 1;
                }
                if (nEnd == std::string_view::npos)
                    return false;
                m_nPos = nEnd + nSkip;
                token.m_nKind = Token::Comment;
                return true;
            }
            const size_t nEnd = m_strText.find('>', nStart + 2);
            if (nEnd == std::string_view::npos)
                return false;
            m_nPos = nEnd + 1;
            token.m_nKind = c == '!' ? Token::Declaration : Token::Comment;
            token.m_strRaw = m_strText.substr(nStart + 2, nEnd - nStart - 2);
            return true;
        }
        const bool bEnd = c == '/';
        size_t n = nStart + (bEnd ? 2 : 1);
        const size_t nName = n;
        while (n < m_strText.size() && !IsBlank(m_strText[n]) && m_strText[n] != '/' && m_strText[n] != '>')
            ++n;
        token.m_strName = AsciiLowerCopy(m_strText.substr(nName, n - nName));
        // The attributes, up to the ">" that ends the tag.
        for (;;) {
            while (n < m_strText.size() && (IsBlank(m_strText[n]) || m_strText[n] == '/'))
                ++n;
            if (n >= m_strText.size())
                return false;
            if (m_strText[n] == '>')
                break;
            const size_t nKey = n++;
            while (n < m_strText.size() && !IsBlank(m_strText[n]) && m_strText[n] != '/' && m_strText[n] != '>' &&
                   m_strText[n] != '=')
                ++n;
            std::string strKey = AsciiLowerCopy(m_strText.substr(nKey, n - nKey));
            size_t nAfterKey = n;
            while (nAfterKey < m_strText.size() && IsBlank(m_strText[nAfterKey]))
                ++nAfterKey;
            std::string_view strValue;
            if (nAfterKey < m_strText.size() && m_strText[nAfterKey] == '=') {
                n = nAfterKey + 1;
                while (n < m_strText.size() && IsBlank(m_strText[n]))
                    ++n;
                if (n >= m_strText.size())
                    return false;
                if (m_strText[n] == '"' || m_strText[n] == '\'') {
                    const size_t nClose = m_strText.find(m_strText[n], n + 1);
                    if (nClose == std::string_view::npos)
                        return false;
                    strValue = m_strText.substr(n + 1, nClose - n - 1);
                    n = nClose + 1;
                } else {
                    const size_t nValue = n;
                    while (n < m_strText.size() && !IsBlank(m_strText[n]) && m_strText[n] != '>')
                        ++n;
                    strValue = m_strText.substr(nValue, n - nValue);
                }
            }
            if (!token.Attribute(strKey))
                token.m_attributes.emplace_back(std::move(strKey), std::string(strValue));
        }
        m_nPos = n + 1;
        token.m_nKind = bEnd ? Token::EndTag : Token::StartTag;
        return true;
    }

    std::string_view m_strText;
    size_t m_nPos = 0;
    size_t m_nNoCommentEnd = std::string_view::npos;
};

// Markup inside a name that does not end it.
bool IsInlineTag(std::string_view strName)
{
    for (std::string_view strInline : {"b", "i", "u", "s", "em", "strong", "span", "font", "small", "big", "sub", "sup",
                                       "code", "tt", "strike", "abbr", "br", "img", "wbr", "q", "cite", "kbd", "var",
                                       "samp", "mark", "ins", "del", "nobr"})
        if (strName == strInline)
            return true;
    return false;
}

// What may come before a bookmark file's first list: its head and title.
bool IsPreludeTag(std::string_view strName)
{
    for (std::string_view strPrelude : {"html", "head", "meta", "title", "body", "h1", "link", "base", "style"})
        if (strName == strPrelude)
            return true;
    return false;
}

std::string TrimBlanks(std::string_view strText)
{
    while (!strText.empty() && IsBlank(strText.back()))
        strText.remove_suffix(1);
    while (!strText.empty() && IsBlank(strText.front()))
        strText.remove_prefix(1);
    return std::string(strText);
}

// ---------------------------------------------------------------- character set

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

enum class Charset { Utf8, Windows1252, Utf16Le, Utf16Be, Other };

// The character set named in the content of a META tag ("text/html;
// charset=UTF-8"), or by its CHARSET attribute.
std::optional<std::string> MetaCharset(const Token& token)
{
    if (auto strCharset = token.Attribute("charset"))
        return TrimBlanks(*strCharset);
    const auto strContent = token.Attribute("content");
    if (!strContent)
        return std::nullopt;
    const std::string strLower = AsciiLowerCopy(*strContent);
    const size_t nAt = strLower.find("charset");
    if (nAt == std::string::npos)
        return std::nullopt;
    size_t n = nAt + 7;
    while (n < strLower.size() && IsBlank(strLower[n]))
        ++n;
    if (n >= strLower.size() || strLower[n] != '=')
        return std::nullopt;
    ++n;
    while (n < strLower.size() && (IsBlank(strLower[n]) || strLower[n] == '"' || strLower[n] == '\''))
        ++n;
    size_t nEnd = n;
    while (nEnd < strLower.size() && !IsBlank(strLower[nEnd]) && strLower[nEnd] != ';' && strLower[nEnd] != '"' &&
           strLower[nEnd] != '\'')
        ++nEnd;
    return std::string(strContent->substr(n, nEnd - n));
}

// The character set a META tag names before the first list; the tags are
// read as ASCII, which every character set such a file can be in keeps.
std::optional<std::string> DeclaredCharset(std::string_view strBytes)
{
    CTagStream tags(strBytes.substr(0, 64 * 1024));
    Token token;
    while (tags.Next(token)) {
        if (token.m_nKind != Token::StartTag)
            continue;
        if (token.m_strName == "dl" || token.m_strName == "dt" || token.m_strName == "a" || token.m_strName == "h3")
            break;
        if (token.m_strName == "meta")
            if (auto strCharset = MetaCharset(token); strCharset && !strCharset->empty())
                return strCharset;
    }
    return std::nullopt;
}

// Bytes in another character set as UTF-8 through iconv; nullopt when the
// system does not know it.
std::optional<std::string> ConvertWithIconv(std::string_view strBytes, const std::string& strCharset)
{
    const iconv_t hConv = iconv_open("UTF-8", strCharset.c_str());
    if (hConv == iconv_t(-1))
        return std::nullopt;
    std::string strOut;
    std::string strChunk(64 * 1024, '\0');
    char* pIn = const_cast<char*>(strBytes.data());
    size_t nIn = strBytes.size();
    while (nIn > 0) {
        char* pOut = strChunk.data();
        size_t nOut = strChunk.size();
        const size_t nResult = iconv(hConv, &pIn, &nIn, &pOut, &nOut);
        strOut.append(strChunk.data(), strChunk.size() - nOut);
        if (nResult == size_t(-1) && errno != E2BIG) {
            // A byte the character set has no character for.
            AppendUtf8(strOut, 0xFFFD);
            ++pIn;
            --nIn;
            iconv(hConv, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(hConv);
    return strOut;
}

Charset CharsetNamed(std::string_view strName)
{
    const std::string strLower = AsciiLowerCopy(strName);
    for (std::string_view strUtf8 : {"utf-8", "utf8", "unicode-1-1-utf-8"})
        if (strLower == strUtf8)
            return Charset::Utf8;
    // A file read as ASCII cannot be UTF-16: a browser then takes UTF-8.
    for (std::string_view strWide : {"utf-16", "utf-16le", "utf-16be", "unicode", "ucs-2", "utf-32"})
        if (strLower == strWide)
            return Charset::Utf8;
    for (std::string_view strLatin : {"windows-1252", "cp1252", "iso-8859-1", "iso8859-1", "latin1", "l1",
                                      "us-ascii", "ascii", "iso-ir-100", "ansi_x3.4-1968", "x-cp1252"})
        if (strLower == strLatin)
            return Charset::Windows1252;
    return Charset::Other;
}

} // namespace

std::string NetscapeTextAsUtf8(std::string_view strBytes)
{
    if (strBytes.starts_with(kUtf8Mark))
        return SanitizeUtf8(strBytes.substr(kUtf8Mark.size()));
    if (strBytes.starts_with("\xFF\xFE"))
        return Utf16ToUtf8(strBytes.substr(2), false);
    if (strBytes.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(strBytes.substr(2), true);
    if (const auto strCharset = DeclaredCharset(strBytes)) {
        switch (CharsetNamed(*strCharset)) {
        case Charset::Utf8:
            return SanitizeUtf8(strBytes);
        case Charset::Windows1252:
            return Windows1252ToUtf8(strBytes);
        default:
            if (auto strText = ConvertWithIconv(strBytes, *strCharset))
                return std::move(*strText);
            break; // a name nobody knows: as if there were none
        }
    }
    return Utf8OrWindows1252(strBytes);
}

namespace {

// The entries of the file into the store, tag by tag.
class CNetscapeReader {
public:
    explicit CNetscapeReader(BookmarkStore& store) : m_store(store) {}

    void Read(std::string_view strText)
    {
        CTagStream tags(strText);
        Token token;
        while (tags.Next(token)) {
            switch (token.m_nKind) {
            case Token::Text:
                if (m_nNamed >= 0)
                    m_strName += token.m_strRaw;
                break;
            case Token::StartTag:
                if (IsInlineTag(token.m_strName))
                    break;
                EndName();
                Start(token);
                break;
            case Token::EndTag:
                if (IsInlineTag(token.m_strName))
                    break;
                EndName();
                if (token.m_strName == "dl" && !m_lists.empty()) {
                    m_lists.pop_back();
                    // A heading whose list never came stays an empty folder.
                    m_nPendingFolder = -1;
                }
                break;
            case Token::Comment:
            case Token::Declaration:
                break;
            }
        }
        EndName();
    }

private:
    std::int32_t CurrentFolder() const { return m_lists.empty() ? -1 : m_lists.back(); }

    void Start(const Token& token)
    {
        if (token.m_strName == "h3") {
            m_nPendingFolder = m_store.Add(CurrentFolder(), true, {});
            m_nNamed = m_nPendingFolder;
        } else if (token.m_strName == "a") {
            const std::string strUrl = TrimBlanks(DecodeEntities(token.Attribute("href").value_or(""), true));
            if (!strUrl.empty() && !IsBookmarkQuery(strUrl))
                m_nNamed = m_store.Add(CurrentFolder(), false, {}, strUrl);
            // A heading's list comes right after it, before any link.
            m_nPendingFolder = -1;
        } else if (token.m_strName == "dl") {
            m_lists.push_back(m_nPendingFolder >= 0 ? m_nPendingFolder : CurrentFolder());
            m_nPendingFolder = -1;
        }
    }

    void EndName()
    {
        if (m_nNamed >= 0)
            m_store.m_entries[size_t(m_nNamed)].m_strTitle = TidyBookmarkTitle(DecodeEntities(m_strName, false));
        m_nNamed = -1;
        m_strName.clear();
    }

    BookmarkStore& m_store;
    std::vector<std::int32_t> m_lists;  // the folder of each list we are in
    std::int32_t m_nPendingFolder = -1; // a heading waiting for its list
    std::int32_t m_nNamed = -1;         // the entry whose name is being read
    std::string m_strName;
};

} // namespace

BookmarkReadResult ReadNetscapeBookmarks(std::string_view strBytes)
{
    const std::string strText = NetscapeTextAsUtf8(strBytes);
    BookmarkReadResult result;
    CNetscapeReader(result.m_store).Read(strText);
    result.m_nResult = BookmarkRead::Read;
    return result;
}

BookmarkReadResult ReadNetscapeBookmarks(int hFile, std::size_t nMaxBytes, const std::function<bool()>& fnAbort)
{
    std::string strBytes;
    std::vector<char> buffer(std::size_t(1) << 20);
    for (off_t nOffset = 0;;) {
        if (fnAbort())
            return {};
        const ssize_t n = pread(hFile, buffer.data(), buffer.size(), nOffset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        strBytes.append(buffer.data(), std::size_t(n));
        nOffset += n;
        if (strBytes.size() > nMaxBytes)
            return {};
    }
    return ReadNetscapeBookmarks(strBytes);
}

bool LooksLikeNetscapeBookmarks(std::string_view strHead)
{
    const std::string strText = NetscapeTextAsUtf8(strHead);
    CTagStream tags(strText);
    Token token;
    bool bInTitle = false; // text is allowed in the title and the H1 only
    bool bInList = false;
    bool bAfterDt = false;
    while (tags.Next(token)) {
        switch (token.m_nKind) {
        case Token::Comment:
            continue;
        case Token::Declaration:
            if (!bInList && StartsWithAsciiNoCase(token.m_strRaw, "doctype netscape-bookmark-file"))
                return true;
            continue;
        case Token::Text:
            if (TrimBlanks(token.m_strRaw).empty() || bInTitle)
                continue;
            if (!bInList)
                return false;
            bAfterDt = false;
            continue;
        case Token::EndTag:
            if (token.m_strName == "title" || token.m_strName == "h1")
                bInTitle = false;
            if (!bInList && !IsPreludeTag(token.m_strName))
                return false;
            continue;
        case Token::StartTag:
            break;
        }
        if (!bInList) {
            if (token.m_strName == "dl") {
                bInList = true;
                continue;
            }
            if (!IsPreludeTag(token.m_strName))
                return false;
            bInTitle = token.m_strName == "title" || token.m_strName == "h1";
            continue;
        }
        if (token.m_strName == "dt") {
            bAfterDt = true;
            continue;
        }
        if (token.m_strName == "a" || token.m_strName == "h3")
            return bAfterDt && (token.m_strName == "h3" || token.Attribute("href"));
        bAfterDt = false;
    }
    return false;
}
