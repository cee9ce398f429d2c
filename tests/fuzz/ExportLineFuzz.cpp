// One favourite's line of every export format, built from any name, URL and
// folder: it is at most 4,096 bytes before its CR LF, no text breaks it or
// brings a control character into it, a UTF-8 character is never split,
// CSV quotes balance and every HTML link that is opened is closed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/export/ExportLine.h"
#include "core/platform/ControlText.h"
#include "core/shortcuts/TextEncoding.h"

namespace {

using Escape = CExportLine::Escape;

enum class Format { Plain, Names, Urls, Csv, CsvFolders, Html, HtmlFolders, Count };

// The line as the writers build it.
std::string_view BuildLine(CExportLine& line, Format nFormat, std::string_view strName, std::string_view strUrl,
                           std::string_view strFolder)
{
    const auto link = [&](std::string_view strText) {
        line.Open("<A HREF=\"", "\"></A>");
        line.AppendText(strUrl, Escape::Html);
        line.CloseNext(2);
        line.AppendText(strText, Escape::Html);
        line.CloseNext(4);
    };
    line.Clear();
    switch (nFormat) {
    case Format::Plain:
        line.Open("\"", "\"");
        line.AppendText(strName, Escape::None);
        line.CloseNext(1);
        line.Append(" ");
        line.AppendText(strUrl, Escape::None);
        break;
    case Format::Names: line.AppendText(strName, Escape::None); break;
    case Format::Urls: line.AppendText(strUrl, Escape::None); break;
    case Format::CsvFolders:
        line.AppendCsvField(strFolder);
        line.Append(",");
        [[fallthrough]];
    case Format::Csv:
        line.AppendCsvField(strName);
        line.Append(",");
        line.AppendCsvField(strUrl);
        break;
    case Format::HtmlFolders:
    case Format::Html:
        line.Append("<LI>");
        if (nFormat == Format::HtmlFolders && !strFolder.empty()) {
            line.AppendText(strFolder, Escape::Html);
            line.Append("/");
        }
        link(strName);
        line.Append("&nbsp;:&nbsp;");
        link(strUrl);
        break;
    case Format::Count: break;
    }
    return line.Finish();
}

std::size_t Count(std::string_view strText, std::string_view strPart)
{
    std::size_t nCount = 0;
    for (std::size_t nPos = 0; (nPos = strText.find(strPart, nPos)) != std::string_view::npos; nPos += strPart.size())
        ++nCount;
    return nCount;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 1)
        return 0;
    const auto nFormat = static_cast<Format>(pData[0] % static_cast<int>(Format::Count));
    // Name, URL and folder are separated by 0xFF bytes.
    std::string_view rest(reinterpret_cast<const char*>(pData) + 1, nSize - 1);
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t nEnd = rest.find('\xFF');
        field = rest.substr(0, nEnd);
        rest = nEnd == std::string_view::npos ? std::string_view() : rest.substr(nEnd + 1);
    }

    static CExportLine line;
    const std::string_view strLine = BuildLine(line, nFormat, fields[0], fields[1], fields[2]);
    if (strLine.empty())
        return 0;
    if (strLine.size() > CExportLine::kMaxLength + 2 || !strLine.ends_with("\r\n"))
        std::abort();
    const std::string_view strBody = strLine.substr(0, strLine.size() - 2);
    for (std::size_t n = 0; n < strBody.size(); ++n)
        if (ControlCharacterLength(strBody.substr(n)) != 0)
            std::abort();
    if (IsValidUtf8(fields[0]) && IsValidUtf8(fields[1]) && IsValidUtf8(fields[2]) && !IsValidUtf8(strBody))
        std::abort();
    if ((nFormat == Format::Csv || nFormat == Format::CsvFolders) && Count(strBody, "\"") % 2 != 0)
        std::abort();
    if ((nFormat == Format::Html || nFormat == Format::HtmlFolders) &&
        Count(strBody, "<A HREF=\"") != Count(strBody, "</A>"))
        std::abort();
    return 0;
}
