#include "core/shortcuts/TextEncoding.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The value of a character of UTF-7's base64 alphabet, or -1.
int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

std::optional<char32_t> NextUtf8CodePoint(std::string_view strText, size_t& nPos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(strText[i]); };
    const unsigned char c0 = byte(nPos);
    if (c0 < 0x80) {
        ++nPos;
        return c0;
    }
    int nTrail = 0;
    char32_t cp = 0;
    char32_t nMin = 0;
    if (c0 >= 0xC2 && c0 <= 0xDF) {
        nTrail = 1;
        cp = c0 & 0x1F;
        nMin = 0x80;
    } else if (c0 >= 0xE0 && c0 <= 0xEF) {
        nTrail = 2;
        cp = c0 & 0x0F;
        nMin = 0x800;
    } else if (c0 >= 0xF0 && c0 <= 0xF4) {
        nTrail = 3;
        cp = c0 & 0x07;
        nMin = 0x10000;
    } else {
        ++nPos;
        return std::nullopt;
    }
    size_t i = nPos + 1;
    for (int k = 0; k < nTrail; ++k, ++i) {
        if (i >= strText.size() || (byte(i) & 0xC0) != 0x80) {
            nPos = i;
            return std::nullopt;
        }
        cp = (cp << 6) | (byte(i) & 0x3F);
        // Reject overlong forms, surrogates and values past U+10FFFF as soon
        // as the second byte shows them, so the bad sequence is kept short.
        if (k == 0) {
            const bool bBad = (c0 == 0xE0 && byte(i) < 0xA0) || (c0 == 0xED && byte(i) > 0x9F) ||
                              (c0 == 0xF0 && byte(i) < 0x90) || (c0 == 0xF4 && byte(i) > 0x8F);
            if (bBad) {
                nPos = i;
                return std::nullopt;
            }
        }
    }
    nPos = i;
    if (cp < nMin)
        return std::nullopt;
    return cp;
}

void AppendUtf8(std::string& strOut, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacement;
    if (cp < 0x80) {
        strOut += static_cast<char>(cp);
    } else if (cp < 0x800) {
        strOut += static_cast<char>(0xC0 | (cp >> 6));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        strOut += static_cast<char>(0xE0 | (cp >> 12));
        strOut += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        strOut += static_cast<char>(0xF0 | (cp >> 18));
        strOut += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        strOut += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsValidUtf8(std::string_view strText)
{
    size_t nPos = 0;
    while (nPos < strText.size())
        if (!NextUtf8CodePoint(strText, nPos))
            return false;
    return true;
}

std::string SanitizeUtf8(std::string_view strText)
{
    if (IsValidUtf8(strText))
        return std::string(strText);
    std::string strOut;
    strOut.reserve(strText.size() + 8);
    size_t nPos = 0;
    while (nPos < strText.size()) {
        const size_t nStart = nPos;
        if (NextUtf8CodePoint(strText, nPos))
            strOut.append(strText.substr(nStart, nPos - nStart));
        else
            AppendUtf8(strOut, kReplacement);
    }
    return strOut;
}

std::string Windows1252ToUtf8(std::string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size() + strText.size() / 4);
    for (const char c : strText) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80)
            strOut += c;
        else if (b < 0xA0)
            AppendUtf8(strOut, kWindows1252High[b - 0x80]);
        else
            AppendUtf8(strOut, b);
    }
    return strOut;
}

std::string Utf8OrWindows1252(std::string_view strText)
{
    return IsValidUtf8(strText) ? std::string(strText) : Windows1252ToUtf8(strText);
}

std::string Utf16ToUtf8(std::string_view strBytes, bool bBigEndian)
{
    std::string strOut;
    strOut.reserve(strBytes.size() / 2);
    const size_t nUnits = strBytes.size() / 2;
    const auto unit = [&](size_t i) -> char32_t {
        const auto lo = static_cast<unsigned char>(strBytes[2 * i + (bBigEndian ? 1 : 0)]);
        const auto hi = static_cast<unsigned char>(strBytes[2 * i + (bBigEndian ? 0 : 1)]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    for (size_t i = 0; i < nUnits; ++i) {
        const char32_t u = unit(i);
        if (IsHighSurrogate(u) && i + 1 < nUnits && IsLowSurrogate(unit(i + 1))) {
            AppendUtf8(strOut, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(strOut, u); // a lone surrogate becomes U+FFFD there
        }
    }
    if (strBytes.size() % 2 != 0)
        AppendUtf8(strOut, kReplacement);
    return strOut;
}

std::optional<std::string> DecodeUtf7(std::string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    char32_t nPendingHigh = 0; // a high surrogate waiting for its partner
    const auto emit = [&](char32_t u) -> bool {
        if (nPendingHigh != 0) {
            if (!IsLowSurrogate(u))
                return false;
            AppendUtf8(strOut, 0x10000 + ((nPendingHigh - 0xD800) << 10) + (u - 0xDC00));
            nPendingHigh = 0;
            return true;
        }
        if (IsHighSurrogate(u)) {
            nPendingHigh = u;
            return true;
        }
        if (IsLowSurrogate(u))
            return false;
        AppendUtf8(strOut, u);
        return true;
    };

    size_t i = 0;
    while (i < strText.size()) {
        const char c = strText[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
        if (c != '+') {
            if (nPendingHigh != 0)
                return std::nullopt;
            strOut += c;
            ++i;
            continue;
        }
        ++i;
        if (i < strText.size() && strText[i] == '-') { // "+-" is a plain "+"
            strOut += '+';
            ++i;
            continue;
        }
        std::uint32_t nBits = 0;
        int nBitCount = 0;
        while (i < strText.size()) {
            const int v = Base64Value(strText[i]);
            if (v < 0)
                break;
            nBits = (nBits << 6) | static_cast<std::uint32_t>(v);
            nBitCount += 6;
            if (nBitCount >= 16) {
                nBitCount -= 16;
                if (!emit((nBits >> nBitCount) & 0xFFFF))
                    return std::nullopt;
            }
            nBits &= (1u << nBitCount) - 1;
            ++i;
        }
        // What is left over must be fewer than six bits, all zero.
        if (nBitCount >= 6 || nBits != 0)
            return std::nullopt;
        if (i < strText.size() && strText[i] == '-')
            ++i;
    }
    if (nPendingHigh != 0)
        return std::nullopt;
    return strOut;
}

std::optional<std::string> EncodeUtf7(std::string_view strUtf8)
{
    static constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string strOut;
    strOut.reserve(strUtf8.size());
    std::uint32_t nBits = 0;
    int nBitCount = 0;
    bool bShifted = false;
    const auto put16 = [&](char32_t u) {
        nBits = (nBits << 16) | static_cast<std::uint32_t>(u);
        nBitCount += 16;
        while (nBitCount >= 6) {
            nBitCount -= 6;
            strOut += kBase64[(nBits >> nBitCount) & 63];
        }
        nBits &= (1u << nBitCount) - 1;
    };
    const auto unshift = [&] {
        if (!bShifted)
            return;
        if (nBitCount > 0)
            strOut += kBase64[(nBits << (6 - nBitCount)) & 63];
        strOut += '-'; // always closed, so no following character is read as base64
        nBits = 0;
        nBitCount = 0;
        bShifted = false;
    };
    size_t nPos = 0;
    while (nPos < strUtf8.size()) {
        const std::optional<char32_t> cp = NextUtf8CodePoint(strUtf8, nPos);
        if (!cp)
            return std::nullopt;
        const bool bDirect = *cp >= 0x20 && *cp <= 0x7E && *cp != '+' && *cp != '\\' && *cp != '~';
        if (bDirect) {
            unshift();
            strOut += static_cast<char>(*cp);
            continue;
        }
        if (*cp == '+' && !bShifted) {
            strOut += "+-";
            continue;
        }
        if (!bShifted) {
            strOut += '+';
            bShifted = true;
        }
        if (*cp >= 0x10000) {
            put16(0xD800 + ((*cp - 0x10000) >> 10));
            put16(0xDC00 + ((*cp - 0x10000) & 0x3FF));
        } else {
            put16(*cp);
        }
    }
    unshift();
    return strOut;
}
