#include "export/ExportFormat.h"

#include "platform/AsciiText.h"

const std::array<ExportFormat, 7> g_exportFormats{{
    {ExportPlainText, "Plain Text",
     "Each Favorite will be exported to a single line in a text file.  The line's format will be: "
     "the Name of the Favorite, followed by it's URL."},
    {ExportNamesOnly, "Plain Text, Names Only",
     "Each Favorite's Name will be exported to a single line in a text file.  The Favorite's URL "
     "will not be included."},
    {ExportUrlsOnly, "Plain Text, URLs Only",
     "Each Favorite's URL will be exported to a single line in a text file.  The Favorite's Name "
     "will not be included."},
    {ExportCsv, "CSV",
     "Your list of Favorites will be exported into a CSV (Comma Separated Value) file.  This file "
     "format is suitable for import into a spreadsheet or database application."},
    {ExportCsvFolders, "CSV (With Folders)",
     "Your list of Favorites, including Folder information, will be exported into a CSV (Comma "
     "Separated Value) file.  This file format is suitable for import into a spreadsheet or "
     "database application."},
    {ExportHtml, "HTML",
     "Your list of Favorites will be exported into a HTML file.  This file is suitable for display "
     "in a web browser, where your Favorites will be shown as navigable links."},
    {ExportHtmlFolders, "HTML (With Folders)",
     "Your list of Favorites, including Folder information, will be exported into a HTML file.  "
     "This file is suitable for display in a web browser, where your Favorites will be shown as "
     "navigable links."},
}};

const ExportFormat* FindExportFormat(std::int32_t nId)
{
    for (const ExportFormat& format : g_exportFormats)
        if (format.nId == nId)
            return &format;
    return nullptr;
}

namespace {

// Short names for the command line, in id order.
constexpr std::array<std::string_view, 7> s_aliases{
    "text", "names", "urls", "csv", "csv-folders", "html", "html-folders",
};

} // namespace

const ExportFormat* FindExportFormatByName(std::string_view strName)
{
    for (std::size_t i = 0; i < g_exportFormats.size(); ++i)
        if (EqualsAsciiNoCase(strName, g_exportFormats[i].strName) || EqualsAsciiNoCase(strName, s_aliases[i]))
            return &g_exportFormats[i];
    return nullptr;
}

std::string_view ExportFormatAlias(std::int32_t nId)
{
    for (std::size_t i = 0; i < g_exportFormats.size(); ++i)
        if (g_exportFormats[i].nId == nId)
            return s_aliases[i];
    return {};
}
