#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/export/ExportWriters.h"

// How an export ended.
enum class ExportResult {
    Done,         // every line was written and the file closed
    CannotCreate, // the file could not be created; nothing was written
    WriteFailed,  // a write or the close failed; the old file is as it was
};

struct ExportOutcome {
    ExportResult m_nResult = ExportResult::Done;
    int m_nError = 0; // the errno of the failure, 0 when done
};

// Writes the list in the format of the id to the file: an existing file is
// replaced only once the whole new content is on the disk, and stays as it
// was when anything fails (see CAtomicFile). Runs on the GUI thread, which is the
// only thread that appends to or removes from the list, so the list stays
// as it is while it is written. An id outside the format table is refused
// as EINVAL before the file is touched.
ExportOutcome ExportToFile(const std::string& strPath, std::int32_t nFormatId, ExportList items);

// The icon of the box that reports the outcome.
enum class ExportMessageIcon { Exclamation, Information };

// The message box that tells the user how the export ended.
struct ExportMessage {
    std::string m_strText;
    std::string_view m_strCaption;
    ExportMessageIcon m_nIcon;
};

// The box for an outcome; the file name is the path that was exported to.
ExportMessage ExportOutcomeMessage(const ExportOutcome& outcome, std::string_view strFileName);
