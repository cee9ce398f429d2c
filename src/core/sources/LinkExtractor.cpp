#include "core/sources/LinkExtractor.h"

#include <algorithm>
#include <cstring> // memchr, memmem

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
    if (!m_seen.contains(scanner.m_strCurrent)) {
        const std::string& strStored = scanner.m_links.emplace_back(std::move(scanner.m_strCurrent));
        m_seen.insert(strStored);
    }
    scanner.m_strCurrent.clear();
}
