#include "core/export/ExportFormat.h"

#include "core/export/BookmarksExport.h"

#include "core/platform/AsciiText.h"

const std::array<ExportFormat, 8> kExportFormats{{
    {ExportPlainText, "Plain Text", "text",
     "Each Favorite will be exported to a single line in a text file.  The line's format will be: "
     "the Name of the Favorite, followed by it's URL.",
     [](CExportFile& file, ExportList items) { return WriteTextExport(file, items, false, false); }},
    {ExportNamesOnly, "Plain Text, Names Only", "names",
     "Each Favorite's Name will be exported to a single line in a text file.  The Favorite's URL "
     "will not be included.",
     [](CExportFile& file, ExportList items) { return WriteTextExport(file, items, true, false); }},
    {ExportUrlsOnly, "Plain Text, URLs Only", "urls",
     "Each Favorite's URL will be exported to a single line in a text file.  The Favorite's Name "
     "will not be included.",
     [](CExportFile& file, ExportList items) { return WriteTextExport(file, items, false, true); }},
    {ExportCsv, "CSV", "csv",
     "Your list of Favorites will be exported into a CSV (Comma Separated Value) file.  This file "
     "format is suitable for import into a spreadsheet or database application.",
     [](CExportFile& file, ExportList items) { return WriteCsvExport(file, items, false); }},
    {ExportCsvFolders, "CSV (With Folders)", "csv-folders",
     "Your list of Favorites, including Folder information, will be exported into a CSV (Comma "
     "Separated Value) file.  This file format is suitable for import into a spreadsheet or "
     "database application.",
     [](CExportFile& file, ExportList items) { return WriteCsvExport(file, items, true); }},
    {ExportHtml, "HTML", "html",
     "Your list of Favorites will be exported into a HTML file.  This file is suitable for display "
     "in a web browser, where your Favorites will be shown as navigable links.",
     [](CExportFile& file, ExportList items) { return WriteHtmlExport(file, items, false); }},
    {ExportHtmlFolders, "HTML (With Folders)", "html-folders",
     "Your list of Favorites, including Folder information, will be exported into a HTML file.  "
     "This file is suitable for display in a web browser, where your Favorites will be shown as "
     "navigable links.",
     [](CExportFile& file, ExportList items) { return WriteHtmlExport(file, items, true); }},
    {ExportBookmarks, "Bookmarks File for Browsers", "bookmarks",
     "Your list of Favorites, with its Folders, will be exported into a bookmarks file (HTML) that "
     "web browsers such as Firefox, Chrome, Chromium and Edge can import.  Each Favorite keeps its "
     "Name, its URL and its Folder.",
     [](CExportFile& file, ExportList items) { return WriteBookmarksExport(file, items); }},
}};

const ExportFormat* FindExportFormat(std::int32_t nId)
{
    for (const ExportFormat& format : kExportFormats)
        if (format.m_nId == nId)
            return &format;
    return nullptr;
}

const ExportFormat* FindExportFormatByName(std::string_view strName)
{
    for (const ExportFormat& format : kExportFormats)
        if (EqualsAsciiNoCase(strName, format.m_strName) || EqualsAsciiNoCase(strName, format.m_strAlias))
            return &format;
    return nullptr;
}

std::string_view ExportFormatAlias(std::int32_t nId)
{
    const ExportFormat* pFormat = FindExportFormat(nId);
    return pFormat ? pFormat->m_strAlias : std::string_view();
}
