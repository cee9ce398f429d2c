#include "core/model/LinkStatus.h"

#include <array>

namespace {

constexpr std::array<LinkStatusInfo, 9> kStatuses{{
    {StatusNotChecked, "Not Checked", 0, "Not yet checked", false, ReportBucket::None},
    {StatusChecking, "Checking", 16, "Currently being checked", false, ReportBucket::None},
    {StatusValid, "Valid", 8, "Link is valid", false, ReportBucket::Valid},
    {StatusPartiallyValid, "Partially Valid", 32,
     "The Link itself is broken, but the site is valid", true, ReportBucket::Partial},
    {StatusBroken, "Broken", 4, "The Link (and maybe its site) is broken", true,
     ReportBucket::Broken},
    {StatusUnverified, "Unverified", 12, "Link could not be verified", false,
     ReportBucket::Unverified},
    {StatusAuthRequired, "Authorization Required", 20,
     "Link could not be verified (Authorization Required)", false, ReportBucket::Unverified},
    {StatusSkipped, "Skipped", 24, "Link has been skipped", false, ReportBucket::Skipped},
    {StatusMoved, "Moved", 28, "Link Has Been Moved/Redirected", false, ReportBucket::Moved},
}};

} // namespace

std::span<const LinkStatusInfo> LinkStatusTable() { return kStatuses; }

const LinkStatusInfo& LinkStatusInfoFor(std::int32_t nStatus)
{
    for (const auto& info : kStatuses)
        if (info.m_nStatus == nStatus)
            return info;
    return kStatuses[0];
}

bool IsProblemStatus(std::int32_t nStatus)
{
    switch (LinkStatusInfoFor(nStatus).m_nReportBucket) {
    case ReportBucket::Broken:
    case ReportBucket::Partial:
    case ReportBucket::Moved:
    case ReportBucket::Unverified:
        return true;
    case ReportBucket::None:
    case ReportBucket::Skipped:
    case ReportBucket::Valid:
        break;
    }
    return false;
}
