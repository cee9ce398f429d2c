#include "core/export/ResultsJson.h"

#include "core/export/ExportFile.h"
#include "core/model/LinkStatus.h"
#include "core/platform/AsciiText.h"
#include "core/shortcuts/TextEncoding.h"

bool IsJsonResultsPath(std::string_view strPath)
{
    constexpr std::string_view kExtension = ".json";
    return strPath.size() > kExtension.size() &&
           EqualsAsciiNoCase(strPath.substr(strPath.size() - kExtension.size()), kExtension);
}

std::string JsonString(std::string_view strText)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string strValid = SanitizeUtf8(strText);
    std::string out;
    out.reserve(strValid.size() + 2);
    out += '"';
    for (size_t i = 0; i < strValid.size(); ++i) {
        const auto c = static_cast<unsigned char>(strValid[i]);
        switch (c) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\b': out += "\\b"; continue;
        case '\f': out += "\\f"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            continue;
        }
        // U+2028 and U+2029 are valid JSON but end a line in JavaScript.
        if (c == 0xE2 && i + 2 < strValid.size() && static_cast<unsigned char>(strValid[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(strValid[i + 2]) == 0xA8 || static_cast<unsigned char>(strValid[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(strValid[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        out += static_cast<char>(c);
    }
    out += '"';
    return out;
}

ExportOutcome WriteResultsJson(const std::string& strPath, ExportList items)
{
    CExportFile file;
    if (const int nError = file.Open(strPath); nError != 0)
        return {ExportResult::CannotCreate, nError};
    file.WriteString("[");
    bool bFirst = true;
    std::string strObject;
    for (const auto& pItem : items) {
        if (!pItem)
            continue;
        strObject = bFirst ? "\n" : ",\n";
        bFirst = false;
        strObject += "  {\"folder\": " + JsonString(pItem->m_strFolder);
        strObject += ", \"name\": " + JsonString(pItem->m_strName);
        strObject += ", \"url\": " + JsonString(pItem->m_strUrl);
        strObject += ", \"status\": " + JsonString(LinkStatusInfoFor(pItem->Status()).m_strName);
        strObject += ", \"text\": " + JsonString(pItem->StatusText());
        strObject += ", \"final_url\": " + JsonString(pItem->Redirect().m_strFinalUrl);
        strObject += "}";
        if (!file.WriteString(strObject))
            break;
    }
    file.WriteString(bFirst ? "]\n" : "\n]\n");
    if (const int nError = file.Close(); nError != 0)
        return {ExportResult::WriteFailed, nError};
    return {ExportResult::Done, 0};
}
