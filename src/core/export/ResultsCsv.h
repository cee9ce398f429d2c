#pragma once

#include <string>

#include "core/export/ExportToFile.h"

// The results file of the console checker: RFC 4180 CSV, a header row
// "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL", then one row per favourite in
// list order with its folder, name, URL, status name, the text of its last
// check and the address where that check's redirects ended (empty when it
// followed none).
// Every row ends in CR LF. A field is quoted when it holds a comma, a
// double quote, a CR or an LF (a double quote inside is doubled), and
// guarded by an apostrophe when it would pass for a formula (see
// CsvField.h); nothing is cut, whatever its length. A control character in
// a folder, name or URL is written as a blank, so every favourite keeps to
// its row.

// Writes the whole file; created or replaced as an export is, so a failure
// leaves the old file as it was.
ExportOutcome WriteResultsCsv(const std::string& strPath, ExportList items);
