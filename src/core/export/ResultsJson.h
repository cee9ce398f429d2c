#pragma once

#include <string>
#include <string_view>

#include "core/export/ExportToFile.h"
#include "core/export/ExportWriters.h"

// The results file of the console checker as JSON (RFC 8259): an array
// with one object per favourite in list order, each with the string
// members "folder", "name", "url", "status", "text" and "final_url" (the
// same fields as the CSV rows; "final_url" is "" when the check followed
// no redirect). Every string is valid UTF-8: a byte sequence that is not
// UTF-8 (a file name may hold one) becomes U+FFFD, and quotes, backslashes
// and control characters are escaped. One object per line, LF line ends.

// True when the results file is to be JSON: its name ends in ".json" (any
// letter case).
bool IsJsonResultsPath(std::string_view strPath);

// The text as a JSON string, quotes included.
std::string JsonString(std::string_view strText);

// Writes the whole file; created or replaced as an export is, so a failure
// leaves the old file as it was.
ExportOutcome WriteResultsJson(const std::string& strPath, ExportList items);
