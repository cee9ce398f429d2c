#include "core/sources/PageDecoder.h"

#include <array>

#include "core/shortcuts/TextEncoding.h"

namespace {

using Encoding = CPageDecoder::Encoding;

std::size_t UnitSize(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return 2;
    case Encoding::Utf32Le:
    case Encoding::Utf32Be: return 4;
    case Encoding::Bytes: break;
    }
    return 1;
}

std::uint32_t UnitAt(std::string_view strBytes, std::size_t nAt, Encoding encoding)
{
    const auto b = [&](std::size_t n) { return static_cast<std::uint32_t>(static_cast<unsigned char>(strBytes[nAt + n])); };
    switch (encoding) {
    case Encoding::Utf16Le: return b(0) | (b(1) << 8);
    case Encoding::Utf16Be: return (b(0) << 8) | b(1);
    case Encoding::Utf32Le: return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
    case Encoding::Utf32Be: return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
    case Encoding::Bytes: break;
    }
    return b(0);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The ASCII of the head read in the encoding, in small letters; any other
// unit is a "?" (so that no words join across it).
std::string AsciiOfHead(std::string_view strHead, Encoding encoding)
{
    const std::size_t nUnit = UnitSize(encoding);
    std::string strAscii;
    for (std::size_t i = 0; i + nUnit <= strHead.size(); i += nUnit) {
        const std::uint32_t u = UnitAt(strHead, i, encoding);
        strAscii += u > 0 && u < 0x80 ? AsciiLower(static_cast<char>(u)) : '?';
    }
    return strAscii;
}

// The Unicode form a charset declaration names: 16 or 32, 0 for none.
int DeclaredUnicodeWidth(const std::string& strAscii)
{
    for (std::size_t nAt = strAscii.find("charset"); nAt != std::string::npos; nAt = strAscii.find("charset", nAt + 1)) {
        std::size_t i = nAt + 7;
        while (i < strAscii.size() && (strAscii[i] == ' ' || strAscii[i] == '=' || strAscii[i] == '"' ||
                                       strAscii[i] == '\'' || strAscii[i] == ':'))
            ++i;
        const std::string_view strName = std::string_view(strAscii).substr(i);
        if (strName.starts_with("utf-16") || strName.starts_with("utf16") || strName.starts_with("ucs-2"))
            return 16;
        if (strName.starts_with("utf-32") || strName.starts_with("utf32") || strName.starts_with("ucs-4"))
            return 32;
    }
    // An XML declaration names it as encoding="UTF-16".
    for (std::size_t nAt = strAscii.find("encoding="); nAt != std::string::npos;
         nAt = strAscii.find("encoding=", nAt + 1)) {
        const std::string_view strName = std::string_view(strAscii).substr(nAt + 10);
        if (strName.starts_with("utf-16"))
            return 16;
        if (strName.starts_with("utf-32"))
            return 32;
    }
    return 0;
}

} // namespace

Encoding CPageDecoder::Detect(std::string_view strHead, std::size_t& nMarkLength)
{
    nMarkLength = 0;
    if (strHead.starts_with("\xEF\xBB\xBF"))
        return Encoding::Bytes;
    if (strHead.starts_with(std::string_view("\xFF\xFE\0\0", 4))) {
        nMarkLength = 4;
        return Encoding::Utf32Le;
    }
    if (strHead.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
        nMarkLength = 4;
        return Encoding::Utf32Be;
    }
    if (strHead.starts_with("\xFF\xFE")) {
        nMarkLength = 2;
        return Encoding::Utf16Le;
    }
    if (strHead.starts_with("\xFE\xFF")) {
        nMarkLength = 2;
        return Encoding::Utf16Be;
    }
    // No mark: a declaration that reads as what it declares.
    static constexpr std::array<std::pair<Encoding, int>, 4> kCandidates{{
        {Encoding::Utf32Le, 32}, {Encoding::Utf32Be, 32}, {Encoding::Utf16Le, 16}, {Encoding::Utf16Be, 16}}};
    for (const auto& [encoding, nWidth] : kCandidates)
        if (DeclaredUnicodeWidth(AsciiOfHead(strHead, encoding)) == nWidth)
            return encoding;
    return Encoding::Bytes;
}

void CPageDecoder::Feed(std::string_view strBytes, std::string& strOut)
{
    if (!m_bDecided) {
        m_strPending.append(strBytes);
        if (m_strPending.size() >= kSniffBytes)
            Decide(strOut);
        return;
    }
    Decode(strBytes, strOut);
}

void CPageDecoder::Finish(std::string& strOut)
{
    if (!m_bDecided)
        Decide(strOut);
    // A cut last unit and a lone high surrogate.
    if (!m_strPending.empty() || m_nHighSurrogate != 0)
        AppendUtf8(strOut, 0xFFFD);
    m_strPending.clear();
    m_nHighSurrogate = 0;
}

void CPageDecoder::Decide(std::string& strOut)
{
    std::size_t nMark = 0;
    m_encoding = Detect(m_strPending, nMark);
    m_bDecided = true;
    std::string strHead = std::move(m_strPending);
    m_strPending.clear();
    Decode(std::string_view(strHead).substr(nMark), strOut);
}

void CPageDecoder::Decode(std::string_view strBytes, std::string& strOut)
{
    if (m_encoding == Encoding::Bytes) {
        strOut.append(strBytes);
        return;
    }
    const std::size_t nUnit = UnitSize(m_encoding);
    std::string strJoined;
    if (!m_strPending.empty()) {
        strJoined = std::move(m_strPending) + std::string(strBytes);
        m_strPending.clear();
        strBytes = strJoined;
    }
    std::size_t i = 0;
    for (; i + nUnit <= strBytes.size(); i += nUnit) {
        const std::uint32_t u = UnitAt(strBytes, i, m_encoding);
        if (nUnit == 4) {
            AppendUtf8(strOut, u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (m_nHighSurrogate != 0)
                AppendUtf8(strOut, 0xFFFD);
            m_nHighSurrogate = u;
            continue;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (m_nHighSurrogate == 0) {
                AppendUtf8(strOut, 0xFFFD);
                continue;
            }
            AppendUtf8(strOut, 0x10000 + ((m_nHighSurrogate - 0xD800) << 10) + (u - 0xDC00));
            m_nHighSurrogate = 0;
            continue;
        }
        if (m_nHighSurrogate != 0) {
            AppendUtf8(strOut, 0xFFFD);
            m_nHighSurrogate = 0;
        }
        AppendUtf8(strOut, u);
    }
    m_strPending.assign(strBytes.substr(i));
}
