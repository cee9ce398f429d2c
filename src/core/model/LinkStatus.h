#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Outcome of a check. Single-bit values, 0 meaning "not checked".
enum LinkStatus : std::int32_t {
    StatusNotChecked = 0,
    StatusChecking = 1,
    StatusValid = 2,
    StatusBroken = 4,
    StatusUnverified = 8,
    StatusSkipped = 16,
    StatusMoved = 32,
    StatusPartiallyValid = 64,
    StatusAuthRequired = 128,
};

// The six counts of the report; statuses without an outcome count nowhere.
enum class ReportBucket { None, Skipped, Broken, Partial, Moved, Valid, Unverified };

// Everything the program says about one status, in one row: its name for
// lists and files, its icon offset, the text of the details dialog and what
// the report and the exit status make of it.
struct LinkStatusInfo {
    LinkStatus m_nStatus;
    std::string_view m_strName;        // short name, as listed for the user
    int m_nIconOffset;                 // row of the status in the image strip
    std::string_view m_strDetailsText; // text of the details dialog
    bool m_bIsBroken;                  // counted in the broken count (broken or partially valid)
    ReportBucket m_nReportBucket;      // which of the report's counts takes it
};

// The statuses in the order in which they are listed for the user.
std::span<const LinkStatusInfo> LinkStatusTable();

// The row of a status value; the "not checked" row for unknown values.
const LinkStatusInfo& LinkStatusInfoFor(std::int32_t nStatus);

// True for an outcome the user has to look at: broken, partially valid,
// moved, authorisation required or not verifiable; the outcomes the report
// counts as findings other than valid and skipped. Not checked, being
// checked, valid and skipped are not problems.
bool IsProblemStatus(std::int32_t nStatus);
