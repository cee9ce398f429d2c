#include "core/shortcuts/ShortcutText.h"

#include "core/platform/AsciiText.h"
#include "core/shortcuts/TextEncoding.h"

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s)
{
    const size_t nFirst = s.find_first_not_of(kBlanks);
    if (nFirst == std::string_view::npos)
        return {};
    const size_t nLast = s.find_last_not_of(kBlanks);
    return s.substr(nFirst, nLast - nFirst + 1);
}

// Calls `onLine` with every line of the text, line end removed. A line
// ends at LF, CR LF or a lone CR (files written on old Macs, and by some
// programs that copied them).
template <typename F>
void ForEachLine(std::string_view strText, F onLine)
{
    while (!strText.empty()) {
        const size_t nEnd = strText.find_first_of("\r\n");
        const std::string_view line = strText.substr(0, nEnd);
        if (!onLine(line))
            return;
        if (nEnd == std::string_view::npos)
            return;
        const size_t nNext = strText.compare(nEnd, 2, "\r\n") == 0 ? nEnd + 2 : nEnd + 1;
        strText.remove_prefix(nNext);
    }
}

// A value ends at an embedded NUL, as it would for the Windows reader.
std::string_view CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }

// Decodes the escapes of a desktop entry string value.
std::string UnescapeDesktopValue(std::string_view s)
{
    std::string strOut;
    strOut.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            strOut += s[i];
            continue;
        }
        switch (s[++i]) {
        case 's': strOut += ' '; break;
        case 'n': strOut += '\n'; break;
        case 't': strOut += '\t'; break;
        case 'r': strOut += '\r'; break;
        case '\\': strOut += '\\'; break;
        default:
            strOut += '\\';
            strOut += s[i];
        }
    }
    return strOut;
}

} // namespace

std::string DecodeShortcutFileText(std::string_view strBytes)
{
    if (strBytes.starts_with("\xFF\xFE"))
        return Utf16ToUtf8(strBytes.substr(2), false);
    if (strBytes.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(strBytes.substr(2), true);
    if (strBytes.starts_with("\xEF\xBB\xBF"))
        strBytes.remove_prefix(3);
    return std::string(strBytes);
}

DesktopUrlKey ClassifyDesktopUrlKey(std::string_view strKey)
{
    // Flags such as KDE's "[$e]" (expand the environment) come last.
    if (strKey.ends_with("]")) {
        const size_t nOpen = strKey.rfind('[');
        if (nOpen != std::string_view::npos && strKey.substr(nOpen).starts_with("[$"))
            strKey = strKey.substr(0, nOpen);
    }
    if (strKey == "URL")
        return DesktopUrlKey::Plain;
    if (strKey.starts_with("URL[") && strKey.ends_with("]") && strKey.size() > 5 &&
        strKey.find_first_of("[]", 4) == strKey.size() - 1)
        return DesktopUrlKey::Localized;
    return DesktopUrlKey::None;
}

IniLookup FindIniValue(std::string_view strText, std::string_view strSection, std::string_view strKey)
{
    IniLookup result;
    bool bInSection = false;
    ForEachLine(strText, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            return true;
        if (line.front() == '[') {
            const size_t nClose = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, nClose == std::string_view::npos ? std::string_view::npos : nClose - 1));
            bInSection = EqualsAsciiNoCase(name, strSection);
            result.m_bSectionFound = result.m_bSectionFound || bInSection;
            return true;
        }
        if (!bInSection)
            return true;
        const size_t nEq = line.find('=');
        if (nEq == std::string_view::npos || !EqualsAsciiNoCase(Trim(line.substr(0, nEq)), strKey))
            return true;
        result.m_value = Trim(CutAtNul(line.substr(nEq + 1)));
        return false;
    });
    return result;
}

std::string ParseInternetShortcut(std::string_view strFileBytes)
{
    const std::string strText = DecodeShortcutFileText(strFileBytes);
    if (const auto wide = FindIniValue(strText, "InternetShortcut.W", "URL").m_value) {
        if (auto decoded = DecodeUtf7(*wide); decoded && !decoded->empty())
            return *decoded;
    }
    const auto ansi = FindIniValue(strText, "InternetShortcut", "URL").m_value;
    return ansi ? Utf8OrWindows1252(*ansi) : std::string();
}

std::optional<std::string> ParseChannelTarget(std::string_view strFileBytes)
{
    const std::string strText = DecodeShortcutFileText(strFileBytes);
    const IniLookup lookup = FindIniValue(strText, "Channel", "CDFURL");
    if (!lookup.m_bSectionFound)
        return std::nullopt;
    return lookup.m_value ? Utf8OrWindows1252(*lookup.m_value) : std::string();
}

std::optional<std::string> ParseDesktopLink(std::string_view strFileBytes)
{
    const std::string strText = DecodeShortcutFileText(strFileBytes);
    bool bInEntry = false;
    bool bSeenEntry = false;
    bool bIsLink = false;
    std::optional<std::string_view> url;
    std::optional<std::string_view> localizedUrl;
    ForEachLine(strText, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return true;
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group counts.
            if (bInEntry)
                return false;
            bInEntry = !bSeenEntry && line == "[Desktop Entry]";
            bSeenEntry = bSeenEntry || bInEntry;
            return true;
        }
        if (!bInEntry)
            return true;
        const size_t nEq = line.find('=');
        if (nEq == std::string_view::npos)
            return true;
        const std::string_view key = Trim(line.substr(0, nEq));
        const std::string_view value = Trim(CutAtNul(line.substr(nEq + 1)));
        if (key == "Type") {
            bIsLink = value == "Link";
        } else {
            const DesktopUrlKey kind = ClassifyDesktopUrlKey(key);
            if (kind == DesktopUrlKey::Plain && !url)
                url = value;
            else if (kind == DesktopUrlKey::Localized && !localizedUrl)
                localizedUrl = value;
        }
        return true;
    });
    if (!bIsLink)
        return std::nullopt;
    if (!url)
        url = localizedUrl;
    return url ? Utf8OrWindows1252(UnescapeDesktopValue(*url)) : std::string();
}
