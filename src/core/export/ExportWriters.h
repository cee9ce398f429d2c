#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "core/model/FavoriteItem.h"

class CExportFile;

// The address of the program's web page, named in the export headers.
inline constexpr std::string_view kProductWebSite = "http://www.ornamy.example/Products/Zorbel/Zorbel.htm";

// The view's list of records in list order; an empty entry is passed by.
using ExportList = std::span<const std::shared_ptr<FavoriteItem>>;

// The writers: each writes its whole format (header, one line per favourite,
// footer) to the open file and stops at the first write that fails. They
// read only the name, the URL and the folder of each record, and build each
// line in a fixed buffer, so nothing is allocated per favourite. A control
// character in a name, URL or folder is written as a blank, so every
// favourite keeps to its own line. Each returns 0, or the errno of the
// write that failed.

// Plain text: the header line, then per favourite "name" URL, or the name
// alone, or the URL alone. Names only wins when both flags are set.
int WriteTextExport(CExportFile& file, ExportList items, bool bNamesOnly, bool bUrlsOnly);

// CSV: the column line, then every field in double quotes, a double quote
// inside a field doubled, a field that would pass for a formula guarded by
// an apostrophe.
int WriteCsvExport(CExportFile& file, ExportList items, bool bWithFolders);

// HTML: a page with one flat list of links; names, URLs and folders have
// < > & and " written as entities. An address that would run a script
// (javascript:, data:, vbscript:) is written as text, not as a link.
int WriteHtmlExport(CExportFile& file, ExportList items, bool bWithFolders);
