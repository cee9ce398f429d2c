#include "core/shortcuts/ShortcutRewrite.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/platform/AsciiText.h"
#include "core/shortcuts/NameCompare.h"
#include "core/shortcuts/ShortcutText.h"
#include "core/shortcuts/TextEncoding.h"

namespace {

// The lines are found in the file's own code units: its bytes, or the
// 16-bit units of a UTF-16 file, so that what is not replaced is written
// back exactly as it was read. The rules follow the readers of
// ShortcutText.cpp line for line; only the names they look for (all ASCII)
// are compared, and a unit above 0x7F never equals an ASCII letter.

// A range of units [m_nBegin, m_nEnd).
struct UnitRange {
    size_t m_nBegin = 0;
    size_t m_nEnd = 0;
};

template <typename Unit>
using Units = std::basic_string_view<Unit>;

template <typename Unit>
bool IsBlank(Unit c)
{
    return c == Unit(' ') || c == Unit('\t');
}

// The trimmed part of [nBegin, nEnd).
template <typename Unit>
UnitRange Trim(Units<Unit> text, size_t nBegin, size_t nEnd)
{
    while (nBegin < nEnd && IsBlank(text[nBegin]))
        ++nBegin;
    while (nEnd > nBegin && IsBlank(text[nEnd - 1]))
        --nEnd;
    return {nBegin, nEnd};
}

template <typename Unit>
size_t Find(Units<Unit> text, UnitRange range, char c)
{
    for (size_t i = range.m_nBegin; i < range.m_nEnd; ++i)
        if (text[i] == Unit(static_cast<unsigned char>(c)))
            return i;
    return Units<Unit>::npos;
}

template <typename Unit>
bool Equals(Units<Unit> text, UnitRange range, std::string_view strName, bool bIgnoreCase)
{
    if (range.m_nEnd - range.m_nBegin != strName.size())
        return false;
    for (size_t i = 0; i < strName.size(); ++i) {
        const auto c = static_cast<char32_t>(text[range.m_nBegin + i]);
        if (c > 0x7F)
            return false;
        const char a = static_cast<char>(c);
        if (bIgnoreCase ? AsciiLower(a) != AsciiLower(strName[i]) : a != strName[i])
            return false;
    }
    return true;
}

// Calls onLine(range) with every line, its line end (LF, CR LF or a lone
// CR) left out; onLine returns false to stop.
template <typename Unit, typename F>
void ForEachLine(Units<Unit> text, F onLine)
{
    size_t nStart = 0;
    while (nStart < text.size()) {
        size_t nEnd = nStart;
        while (nEnd < text.size() && text[nEnd] != Unit('\n') && text[nEnd] != Unit('\r'))
            ++nEnd;
        if (!onLine(UnitRange{nStart, nEnd}) || nEnd == text.size())
            return;
        nStart = nEnd + (text[nEnd] == Unit('\r') && nEnd + 1 < text.size() && text[nEnd + 1] == Unit('\n') ? 2 : 1);
    }
}

// The ASCII text of a range; empty when it holds anything else.
template <typename Unit>
std::string AsciiOf(Units<Unit> text, UnitRange range)
{
    std::string strOut;
    for (size_t i = range.m_nBegin; i < range.m_nEnd; ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        if (c == 0 || c > 0x7F)
            return {};
        strOut += static_cast<char>(c);
    }
    return strOut;
}

// The value after "=": cut at a NUL, as the reader cuts it, then trimmed.
template <typename Unit>
UnitRange ValueRange(Units<Unit> text, UnitRange line, size_t nEq)
{
    size_t nEnd = Find(text, {nEq + 1, line.m_nEnd}, '\0');
    if (nEnd == Units<Unit>::npos)
        nEnd = line.m_nEnd;
    return Trim(text, nEq + 1, nEnd);
}

// Where the value of `strKey` in section [strSection] is, as FindIniValue
// finds it.
template <typename Unit>
std::optional<UnitRange> FindIniValueRange(Units<Unit> text, std::string_view strSection, std::string_view strKey)
{
    std::optional<UnitRange> found;
    bool bInSection = false;
    ForEachLine(text, [&](UnitRange line) {
        line = Trim(text, line.m_nBegin, line.m_nEnd);
        if (line.m_nBegin == line.m_nEnd || text[line.m_nBegin] == Unit(';'))
            return true;
        if (text[line.m_nBegin] == Unit('[')) {
            size_t nClose = Find(text, {line.m_nBegin + 1, line.m_nEnd}, ']');
            if (nClose == Units<Unit>::npos)
                nClose = line.m_nEnd;
            bInSection = Equals(text, Trim(text, line.m_nBegin + 1, nClose), strSection, true);
            return true;
        }
        if (!bInSection)
            return true;
        const size_t nEq = Find(text, line, '=');
        if (nEq == Units<Unit>::npos || !Equals(text, Trim(text, line.m_nBegin, nEq), strKey, true))
            return true;
        found = ValueRange(text, line, nEq);
        return false;
    });
    return found;
}

// Where the URL of a desktop link is, as ParseDesktopLink finds it; none
// when the first [Desktop Entry] group is no link or has no URL.
template <typename Unit>
std::optional<UnitRange> FindDesktopUrlRange(Units<Unit> text)
{
    bool bInEntry = false;
    bool bSeenEntry = false;
    bool bIsLink = false;
    std::optional<UnitRange> url;
    std::optional<UnitRange> localizedUrl;
    ForEachLine(text, [&](UnitRange line) {
        line = Trim(text, line.m_nBegin, line.m_nEnd);
        if (line.m_nBegin == line.m_nEnd || text[line.m_nBegin] == Unit('#'))
            return true;
        if (text[line.m_nBegin] == Unit('[')) {
            if (bInEntry)
                return false;
            bInEntry = !bSeenEntry && Equals(text, line, "[Desktop Entry]", false);
            bSeenEntry = bSeenEntry || bInEntry;
            return true;
        }
        if (!bInEntry)
            return true;
        const size_t nEq = Find(text, line, '=');
        if (nEq == Units<Unit>::npos)
            return true;
        const UnitRange key = Trim(text, line.m_nBegin, nEq);
        const UnitRange value = ValueRange(text, line, nEq);
        if (Equals(text, key, "Type", false)) {
            bIsLink = Equals(text, value, "Link", false);
        } else {
            const DesktopUrlKey kind = ClassifyDesktopUrlKey(AsciiOf(text, key));
            if (kind == DesktopUrlKey::Plain && !url)
                url = value;
            else if (kind == DesktopUrlKey::Localized && !localizedUrl)
                localizedUrl = value;
        }
        return true;
    });
    if (!bIsLink)
        return std::nullopt;
    return url ? url : localizedUrl;
}

// A desktop entry string that reads back as the text: "\" and the control
// characters escaped, and a leading blank kept from the trim.
std::string EscapeDesktopValue(std::string_view strText)
{
    std::string strOut;
    for (size_t i = 0; i < strText.size(); ++i) {
        switch (strText[i]) {
        case '\\': strOut += "\\\\"; break;
        case '\n': strOut += "\\n"; break;
        case '\t': strOut += "\\t"; break;
        case '\r': strOut += "\\r"; break;
        case ' ':
            strOut += i == 0 || i + 1 == strText.size() ? "\\s" : " ";
            break;
        default: strOut += strText[i];
        }
    }
    return strOut;
}

// One replacement: a range of the file's units and the new value (UTF-8).
struct Replacement {
    UnitRange m_range;
    std::string m_strValue;
};

// The replacements of a file, found in its units.
template <typename Unit>
std::vector<Replacement> FindReplacements(Units<Unit> text, ShortcutFormat format, std::string_view strNewUrl)
{
    std::vector<Replacement> replacements;
    if (format == ShortcutFormat::DesktopLink) {
        if (const auto range = FindDesktopUrlRange(text))
            replacements.push_back({*range, EscapeDesktopValue(strNewUrl)});
        return replacements;
    }
    if (const auto range = FindIniValueRange(text, "InternetShortcut", "URL"))
        replacements.push_back({*range, std::string(strNewUrl)});
    if (const auto range = FindIniValueRange(text, "InternetShortcut.W", "URL")) {
        if (auto utf7 = EncodeUtf7(strNewUrl))
            replacements.push_back({*range, std::move(*utf7)});
    }
    return replacements;
}

std::u16string Utf8ToUtf16(std::string_view strText)
{
    std::u16string out;
    size_t nPos = 0;
    while (nPos < strText.size()) {
        const char32_t cp = NextUtf8CodePoint(strText, nPos).value_or(0xFFFD);
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

// The text with the replacements made (they never overlap: each is in a
// line of its own), back to front so the ranges stay where they are.
template <typename Unit>
std::basic_string<Unit> Apply(Units<Unit> text, std::vector<Replacement> replacements)
{
    std::basic_string<Unit> out(text);
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.m_range.m_nBegin > b.m_range.m_nBegin; });
    for (const Replacement& replacement : replacements) {
        std::basic_string<Unit> value;
        if constexpr (sizeof(Unit) == 1)
            value = replacement.m_strValue;
        else
            value = Utf8ToUtf16(replacement.m_strValue);
        out.replace(replacement.m_range.m_nBegin, replacement.m_range.m_nEnd - replacement.m_range.m_nBegin, value);
    }
    return out;
}

// A UTF-16 file (with its byte order mark) as units, and back.
std::u16string BytesToUnits(std::string_view strBytes, bool bBigEndian)
{
    std::u16string units;
    units.reserve(strBytes.size() / 2);
    for (size_t i = 0; i + 1 < strBytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(strBytes[i]);
        const auto b1 = static_cast<unsigned char>(strBytes[i + 1]);
        units += bBigEndian ? char16_t((b0 << 8) | b1) : char16_t((b1 << 8) | b0);
    }
    return units;
}

std::string UnitsToBytes(std::u16string_view units, bool bBigEndian)
{
    std::string strBytes;
    strBytes.reserve(units.size() * 2);
    for (const char16_t u : units) {
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        strBytes += bBigEndian ? hi : lo;
        strBytes += bBigEndian ? lo : hi;
    }
    return strBytes;
}

bool HasControlCharacter(std::string_view strText)
{
    for (const char c : strText)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

} // namespace

std::optional<ShortcutFormat> ShortcutFormatOf(std::string_view strPath)
{
    const std::string_view strName = strPath.substr(strPath.rfind('/') + 1);
    if (HasExtensionNoCase(strName, ".url"))
        return ShortcutFormat::InternetShortcut;
    if (HasExtensionNoCase(strName, ".desktop"))
        return ShortcutFormat::DesktopLink;
    return std::nullopt;
}

std::optional<std::string> ShortcutUrlOf(std::string_view strFileBytes, ShortcutFormat format)
{
    if (format == ShortcutFormat::DesktopLink)
        return ParseDesktopLink(strFileBytes);
    std::string strUrl = ParseInternetShortcut(strFileBytes);
    if (strUrl.empty())
        return std::nullopt;
    return strUrl;
}

std::optional<std::string> RewriteShortcutUrl(std::string_view strFileBytes, ShortcutFormat format,
                                              std::string_view strNewUrl)
{
    if (strNewUrl.empty() || !IsValidUtf8(strNewUrl) || HasControlCharacter(strNewUrl))
        return std::nullopt;

    std::string strNew;
    bool bReplaced = false;
    const bool bLittle = strFileBytes.starts_with("\xFF\xFE");
    const bool bBig = strFileBytes.starts_with("\xFE\xFF");
    if (bLittle || bBig) {
        const std::string_view strBody = strFileBytes.substr(2);
        const std::u16string units = BytesToUnits(strBody, bBig);
        std::vector<Replacement> replacements = FindReplacements(Units<char16_t>(units), format, strNewUrl);
        bReplaced = !replacements.empty();
        strNew = std::string(strFileBytes.substr(0, 2)) +
                 UnitsToBytes(Apply(Units<char16_t>(units), std::move(replacements)), bBig);
        if (strBody.size() % 2 != 0)
            strNew += strBody.back(); // an odd last byte stays as it was
    } else {
        // A UTF-8 byte order mark is no part of any line.
        const size_t nMark = strFileBytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        const std::string_view strBody = strFileBytes.substr(nMark);
        std::vector<Replacement> replacements = FindReplacements(Units<char>(strBody), format, strNewUrl);
        bReplaced = !replacements.empty();
        strNew = std::string(strFileBytes.substr(0, nMark)) + Apply(Units<char>(strBody), std::move(replacements));
    }
    if (!bReplaced)
        return std::nullopt;
    // Read back as the scan will read it, it must be the new URL and nothing else.
    if (ShortcutUrlOf(strNew, format) != std::optional<std::string>(strNewUrl))
        return std::nullopt;
    return strNew;
}
