#include "core/report/CheckReport.h"

#include <cstdio>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"

ReportCounts CountReport(std::span<const std::shared_ptr<FavoriteItem>> items)
{
    ReportCounts counts;
    for (const auto& pItem : items) {
        if (!pItem)
            continue;
        switch (LinkStatusInfoFor(pItem->Status()).m_nReportBucket) {
        case ReportBucket::Valid: ++counts.m_nValid; break;
        case ReportBucket::Broken: ++counts.m_nBroken; break;
        case ReportBucket::Unverified: ++counts.m_nUnverified; break;
        case ReportBucket::Skipped: ++counts.m_nSkipped; break;
        case ReportBucket::Moved: ++counts.m_nMoved; break;
        case ReportBucket::Partial: ++counts.m_nPartial; break;
        case ReportBucket::None: break;
        }
    }
    return counts;
}

namespace {

// Formats one sentence the way the report dialog does, into a buffer of
// 1024 bytes. The template's words after the count are chosen by it.
template <typename... Words>
std::string Sentence(const char* pszTemplate, std::int32_t n, Words... words)
{
    char szLine[1024];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(szLine, sizeof szLine, pszTemplate, n, words...);
#pragma GCC diagnostic pop
    return szLine;
}

} // namespace

std::array<ReportLine, 6> ReportLines(const ReportCounts& c)
{
    const auto one = [](std::int32_t n) { return n == 1; };
    // The texts stand as the report dialog has always shown them, the
    // doubled word of the fourth included.
    return {{
        {Sentence("%d link%s %s skipped", c.m_nSkipped, one(c.m_nSkipped) ? "" : "s",
                  one(c.m_nSkipped) ? "was" : "were"),
         ImageFor(KindFolder, StatusSkipped)},
        {Sentence("%d link%s appear%s to be broken", c.m_nBroken, one(c.m_nBroken) ? "" : "s",
                  one(c.m_nBroken) ? "s" : ""),
         ImageFor(KindInternetFavorite, StatusBroken)},
        {Sentence("%d link%s %s \"partially\" broken", c.m_nPartial, one(c.m_nPartial) ? "" : "s",
                  one(c.m_nPartial) ? "is" : "are"),
         ImageFor(KindInternetFavorite, StatusPartiallyValid)},
        {Sentence("%d link%s appear%s to have have %s target moved", c.m_nMoved, one(c.m_nMoved) ? "" : "s",
                  one(c.m_nMoved) ? "s" : "", one(c.m_nMoved) ? "its" : "their"),
         ImageFor(KindInternetFavorite, StatusMoved)},
        {Sentence("%d link%s %s still valid", c.m_nValid, one(c.m_nValid) ? "" : "s",
                  one(c.m_nValid) ? "is" : "are"),
         ImageFor(KindInternetFavorite, StatusValid)},
        {Sentence("%d link%s could not be tested correctly", c.m_nUnverified, one(c.m_nUnverified) ? "" : "s"),
         ImageFor(KindInternetFavorite, StatusUnverified)},
    }};
}
