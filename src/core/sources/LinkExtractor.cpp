#include "core/sources/LinkExtractor.h"

#include <algorithm>
#include <cstring> // memchr, memmem

#include "core/shortcuts/TextEncoding.h"

namespace {

// What a byte does to a link being taken.
enum ByteRole : std::uint8_t {
    RoleTaken = 0, // part of the link
    RoleEnds = 1,  // ends the link
    RoleQuote = 2, // ends the link once kQuoteEndsFrom characters are taken
};

constexpr std::array<ByteRole, 256> MakeRoleTable()
{
    std::array<ByteRole, 256> table{};
    constexpr std::pair<unsigned char, ByteRole> kRoles[] = {
        {'\n', RoleEnds}, {'\r', RoleEnds}, {' ', RoleEnds},   {'\t', RoleEnds},
        {'<', RoleEnds},  {'>', RoleEnds},  {'"', RoleQuote}, {'\'', RoleQuote},
    };
    for (const auto& [c, role] : kRoles)
        table[c] = role;
    return table;
}

constexpr std::array<ByteRole, 256> kByteRoles = MakeRoleTable();

} // namespace

CLinkExtractor::CLinkExtractor()
{
    for (size_t i = 0; i < kPrefixes.size(); ++i)
        m_scanners[i].m_strPrefix = kPrefixes[i];
}

bool CLinkExtractor::Feed(std::string_view strBytes)
{
    if (m_bEnded)
        return false;
    const void* pNul = std::memchr(strBytes.data(), '\0', strBytes.size());
    if (pNul)
        strBytes = strBytes.substr(0, static_cast<const char*>(pNul) - strBytes.data());
    m_strWindow.append(strBytes);
    Scan(pNul != nullptr);
    if (pNul)
        m_bEnded = true;
    return !m_bEnded;
}

void CLinkExtractor::Finish()
{
    if (m_bEnded)
        return;
    Scan(true);
    m_bEnded = true;
}

std::vector<std::string> CLinkExtractor::Links() const
{
    std::vector<std::string> links;
    links.reserve(m_seen.size());
    for (const Scanner& scanner : m_scanners)
        links.insert(links.end(), scanner.m_links.begin(), scanner.m_links.end());
    return links;
}

void CLinkExtractor::Scan(bool bFinal)
{
    for (Scanner& scanner : m_scanners)
        ScanOne(scanner, bFinal);

    // Keep only what some scanner has still to look at: at most the start
    // of a prefix cut by the end of this piece.
    std::uint64_t nKeep = m_nBase + m_strWindow.size();
    for (const Scanner& scanner : m_scanners)
        nKeep = std::min(nKeep, scanner.m_nPos);
    m_strWindow.erase(0, static_cast<size_t>(nKeep - m_nBase));
    m_nBase = nKeep;
}

void CLinkExtractor::ScanOne(Scanner& scanner, bool bFinal)
{
    const std::string_view text(m_strWindow);
    const size_t nSize = text.size();
    for (;;) {
        size_t i = static_cast<size_t>(scanner.m_nPos - m_nBase);
        if (scanner.m_bTaking) {
            const size_t nStart = i;
            size_t nTaken = scanner.m_strCurrent.size();
            while (i < nSize && nTaken < kMaxLinkLength) {
                const ByteRole role = kByteRoles[static_cast<unsigned char>(text[i])];
                if (role == RoleEnds || (role == RoleQuote && nTaken >= kQuoteEndsFrom))
                    break;
                ++i;
                ++nTaken;
            }
            scanner.m_strCurrent.append(text.substr(nStart, i - nStart));
            scanner.m_nPos = m_nBase + i;
            if (i == nSize && nTaken < kMaxLinkLength && !bFinal)
                return; // the link goes on in the next piece
            EndLink(scanner);
            continue;
        }

        // glibc's memmem is much faster than a first-byte search on HTML,
        // where the first letters of the prefixes are frequent.
        const void* pHit = memmem(text.data() + i, nSize - i, scanner.m_strPrefix.data(),
                                  scanner.m_strPrefix.size());
        if (!pHit) {
            // A prefix may begin in the last few bytes and end in the next piece.
            const size_t nTail = scanner.m_strPrefix.size() - 1;
            const size_t nResume = bFinal ? nSize : (nSize > nTail ? nSize - nTail : 0);
            scanner.m_nPos = std::max(scanner.m_nPos, m_nBase + nResume);
            return;
        }
        scanner.m_bTaking = true;
        // The prefix is part of the link.
        scanner.m_nPos = m_nBase + static_cast<size_t>(static_cast<const char*>(pHit) - text.data());
    }
}

void CLinkExtractor::EndLink(Scanner& scanner)
{
    scanner.m_bTaking = false;
    std::string strLink = CutUnbalancedParenthesis(std::move(scanner.m_strCurrent));
    if (m_bHtml)
        strLink = DecodeCharacterReferences(strLink);
    if (!m_seen.contains(strLink)) {
        const std::string& strStored = scanner.m_links.emplace_back(std::move(strLink));
        m_seen.insert(strStored);
    }
    scanner.m_strCurrent.clear();
}

std::string CLinkExtractor::CutUnbalancedParenthesis(std::string strLink)
{
    for (;;) {
        // The last ")" when only sentence punctuation follows it.
        size_t nEnd = strLink.size();
        while (nEnd > 0 && std::string_view(".,;:!?").find(strLink[nEnd - 1]) != std::string_view::npos)
            --nEnd;
        if (nEnd == 0 || strLink[nEnd - 1] != ')')
            return strLink;
        const size_t nClose = nEnd - 1;
        const auto nOpen = std::count(strLink.begin(), strLink.begin() + static_cast<std::ptrdiff_t>(nClose), '(');
        const auto nClosed = std::count(strLink.begin(), strLink.begin() + static_cast<std::ptrdiff_t>(nClose), ')');
        if (nOpen > nClosed)
            return strLink; // it closes one of the link's own
        strLink.erase(nClose);
    }
}

namespace {

// The named references that can stand for a character of an address (the
// ASCII ones of HTML's list), longest names need no priority: each ends at ";".
struct NamedReference {
    std::string_view m_strName;
    char m_c;
};
constexpr NamedReference kNamedReferences[] = {
    {"amp", '&'},    {"AMP", '&'},    {"lt", '<'},       {"LT", '<'},     {"gt", '>'},     {"GT", '>'},
    {"quot", '"'},   {"QUOT", '"'},   {"apos", '\''},    {"sol", '/'},    {"colon", ':'},  {"quest", '?'},
    {"equals", '='}, {"num", '#'},    {"percnt", '%'},   {"plus", '+'},   {"comma", ','},  {"period", '.'},
    {"semi", ';'},   {"excl", '!'},   {"dollar", '$'},   {"lpar", '('},   {"rpar", ')'},   {"ast", '*'},
    {"commat", '@'}, {"lowbar", '_'}, {"hyphen", '-'},   {"tilde", '~'},  {"lsqb", '['},   {"rsqb", ']'},
    {"lbrack", '['}, {"rbrack", ']'}, {"lcub", '{'},     {"rcub", '}'},   {"verbar", '|'}, {"bsol", '\\'},
    {"grave", '`'},  {"Hat", '^'},    {"Tab", '\t'},     {"NewLine", '\n'}, {"nbsp", '\xA0'},
};

// A decoded character as it goes into a request: what may not stand in an
// address as it is gets its percent form.
void AppendForAddress(std::string& strOut, char32_t cp)
{
    if (cp <= 0x20 || cp == 0x7F || cp == '"' || cp == '<' || cp == '>') {
        static constexpr char kHex[] = "0123456789ABCDEF";
        strOut += '%';
        strOut += kHex[cp >> 4];
        strOut += kHex[cp & 0xF];
        return;
    }
    AppendUtf8(strOut, cp);
}

// The character of a numeric reference's value, as HTML maps it: none, a
// surrogate or beyond Unicode is U+FFFD.
char32_t NumericReferenceCharacter(std::uint32_t nValue)
{
    if (nValue == 0 || nValue > 0x10FFFF || (nValue >= 0xD800 && nValue <= 0xDFFF))
        return 0xFFFD;
    return static_cast<char32_t>(nValue);
}

} // namespace

std::string CLinkExtractor::DecodeCharacterReferences(std::string_view strLink)
{
    std::string strOut;
    strOut.reserve(strLink.size());
    size_t i = 0;
    while (i < strLink.size()) {
        const size_t nAmp = strLink.find('&', i);
        if (nAmp == std::string_view::npos) {
            strOut.append(strLink.substr(i));
            break;
        }
        strOut.append(strLink.substr(i, nAmp - i));
        i = nAmp + 1;
        const size_t nSemi = strLink.find(';', i);
        // A reference is short; without its ";" it is taken as written.
        if (nSemi == std::string_view::npos || nSemi - i > 32 || nSemi == i) {
            strOut += '&';
            continue;
        }
        const std::string_view strRef = strLink.substr(i, nSemi - i);
        bool bDecoded = false;
        if (strRef[0] == '#') {
            const bool bHex = strRef.size() > 1 && (strRef[1] == 'x' || strRef[1] == 'X');
            const std::string_view strDigits = strRef.substr(bHex ? 2 : 1);
            std::uint32_t nValue = 0;
            bool bValid = !strDigits.empty();
            for (const char c : strDigits) {
                int nDigit = -1;
                if (c >= '0' && c <= '9')
                    nDigit = c - '0';
                else if (bHex && c >= 'a' && c <= 'f')
                    nDigit = c - 'a' + 10;
                else if (bHex && c >= 'A' && c <= 'F')
                    nDigit = c - 'A' + 10;
                if (nDigit < 0) {
                    bValid = false;
                    break;
                }
                nValue = std::min<std::uint32_t>(nValue * (bHex ? 16 : 10) + static_cast<std::uint32_t>(nDigit),
                                                 0x110000);
            }
            if (bValid) {
                AppendForAddress(strOut, NumericReferenceCharacter(nValue));
                bDecoded = true;
            }
        } else {
            for (const NamedReference& ref : kNamedReferences) {
                if (ref.m_strName == strRef) {
                    AppendForAddress(strOut, static_cast<unsigned char>(ref.m_c));
                    bDecoded = true;
                    break;
                }
            }
        }
        if (bDecoded)
            i = nSemi + 1;
        else
            strOut += '&';
    }
    return strOut;
}
