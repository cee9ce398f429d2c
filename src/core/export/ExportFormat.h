#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/export/ExportWriters.h"

// The format numbers; the number selects the writer.
enum ExportFormatId : std::int32_t {
    ExportPlainText = 1,
    ExportNamesOnly = 2,
    ExportUrlsOnly = 3,
    ExportCsv = 4,
    ExportCsvFolders = 5,
    ExportHtml = 6,
    ExportHtmlFolders = 7,
    ExportBookmarks = 8,
};

// Writes the whole list in one format to an open file; 0 or the errno of
// the write that failed.
using ExportWriter = int (*)(CExportFile& file, ExportList items);

// One row of the format table: all there is to know about a format.
struct ExportFormat {
    std::int32_t m_nId;                // 1 to 8
    std::string_view m_strName;        // shown in the format list and the confirmation
    std::string_view m_strAlias;       // its short name on the command line ("csv-folders")
    std::string_view m_strDescription; // shown beside "&Details:"
    ExportWriter m_pfnWrite;           // the writer with the format's arguments
};

// The formats in id order; the table never changes. The first seven are
// the lists of old; the bookmark file for browsers comes after them.
extern const std::array<ExportFormat, 8> kExportFormats;

// The row of a format id, or null for an id outside the table.
const ExportFormat* FindExportFormat(std::int32_t nId);

// The row of a format given by its name ("CSV (With Folders)") or its short
// alias ("csv-folders"), in any letter case; null when neither matches.
const ExportFormat* FindExportFormatByName(std::string_view strName);

// The short alias of a format id ("text", "names", "urls", "csv",
// "csv-folders", "html", "html-folders", "bookmarks"); empty for an unknown id.
std::string_view ExportFormatAlias(std::int32_t nId);
