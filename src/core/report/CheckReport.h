#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/model/FavoriteItem.h"

// The report of a check: how many favourites of the list ended with each
// outcome, and the six sentences that say it.

struct ReportCounts {
    std::int32_t m_nValid = 0;
    std::int32_t m_nBroken = 0;
    std::int32_t m_nUnverified = 0; // unverified and authorisation required
    std::int32_t m_nSkipped = 0;
    std::int32_t m_nMoved = 0;
    std::int32_t m_nPartial = 0;
};

// Counts the records of the list by their current status; empty entries,
// favourites not yet checked or still being checked count nowhere, so the
// counts are a snapshot of a pass that may still run.
ReportCounts CountReport(std::span<const std::shared_ptr<FavoriteItem>> items);

// One sentence of the report with the image of its status.
struct ReportLine {
    std::string m_strText;
    int m_nImage;
};

// The six sentences in their order: skipped, broken, partially broken,
// moved, valid, not verifiable. A count of exactly 1 takes the singular.
std::array<ReportLine, 6> ReportLines(const ReportCounts& counts);
