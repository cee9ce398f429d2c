#include "core/shortcuts/NameCompare.h"

#include <array>

#include "core/shortcuts/TextEncoding.h"

namespace {

// Lower-case ranges and what to add to reach upper case. Parity 0 takes
// every code point of the range, 1 only odd ones, 2 only even ones (the
// Latin Extended-A pairs alternate upper and lower case).
struct UpperCaseRange {
    char32_t m_nFirst;
    char32_t m_nLast;
    int m_nDelta;
    int m_nParity;
};
constexpr std::array<UpperCaseRange, 15> kUpperCaseRanges{{
    {0x0061, 0x007A, -32, 0},  // a-z
    {0x00E0, 0x00F6, -32, 0},  // à-ö
    {0x00F8, 0x00FE, -32, 0},  // ø-þ
    {0x00FF, 0x00FF, 0x79, 0}, // ÿ -> Ÿ
    {0x0100, 0x012F, -1, 1},
    {0x0132, 0x0137, -1, 1},
    {0x0139, 0x0148, -1, 2},
    {0x014A, 0x0177, -1, 1},
    {0x0179, 0x017E, -1, 2},
    {0x03B1, 0x03C1, -32, 0}, // Greek
    {0x03C2, 0x03C2, -31, 0}, // final sigma
    {0x03C3, 0x03CB, -32, 0},
    {0x0430, 0x044F, -32, 0}, // Cyrillic
    {0x0450, 0x045F, -80, 0},
    {0xFF41, 0xFF5A, -32, 0}, // full-width a-z
}};

char32_t ToUpperCodePoint(char32_t cp)
{
    if (cp < 0x61)
        return cp;
    for (const auto& r : kUpperCaseRanges) {
        if (cp < r.m_nFirst)
            break;
        if (cp > r.m_nLast)
            continue;
        if (r.m_nParity == 0 || (r.m_nParity == 1) == (cp % 2 == 1))
            return static_cast<char32_t>(static_cast<int>(cp) + r.m_nDelta);
        return cp;
    }
    return cp;
}

// The next folded unit of a name: a code point, or for a byte that is not
// UTF-8 its value above every code point, so such names sort last.
char32_t NextFolded(std::string_view s, size_t& nPos)
{
    const size_t nStart = nPos;
    if (const auto cp = NextUtf8CodePoint(s, nPos))
        return ToUpperCodePoint(*cp);
    nPos = nStart + 1;
    return 0x110000 + static_cast<unsigned char>(s[nStart]);
}

int CompareFolded(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = NextFolded(a, i);
        const char32_t cb = NextFolded(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

int CompareNamesNoCase(std::string_view a, std::string_view b)
{
    if (const int n = CompareFolded(a, b); n != 0)
        return n;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool NamesEqualNoCase(std::string_view a, std::string_view b) { return CompareFolded(a, b) == 0; }

bool HasExtensionNoCase(std::string_view strName, std::string_view strExtension)
{
    if (strName.size() <= strExtension.size())
        return false;
    return NamesEqualNoCase(strName.substr(strName.size() - strExtension.size()), strExtension);
}
