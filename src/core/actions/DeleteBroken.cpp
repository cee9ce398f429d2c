#include "core/actions/DeleteBroken.h"

#include "core/actions/BatchOutcome.h"
#include "core/actions/FavoriteFiles.h"
#include "core/model/LinkStatus.h"

std::int32_t DeleteBrokenMask(bool bIncludePartial)
{
    return bIncludePartial ? (StatusBroken | StatusPartiallyValid) : StatusBroken;
}

bool IsListedForDeletion(std::int32_t nStatus, bool bIncludePartial)
{
    return (nStatus & DeleteBrokenMask(bIncludePartial)) != 0;
}

DeleteBrokenOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                          const std::function<void(const FavoriteItem&)>& onDeleted)
{
    DeleteBrokenOutcome outcome;
    for (const auto& pItem : items) {
        if (!pItem)
            continue;
        const int nError = DeleteFavoriteFile(*pItem);
        if (nError != 0) {
            ++outcome.m_nFailed;
            if (!outcome.m_strErrors.empty())
                outcome.m_strErrors += "\r\n";
            outcome.m_strErrors += DeleteErrorLine(pItem->m_strName, FavoriteFileErrorText(nError, pItem->m_strPath));
            continue;
        }
        if (onDeleted)
            onDeleted(*pItem);
        ++outcome.m_nDeleted;
    }
    return outcome;
}

std::string DeleteErrorLine(std::string_view strName, std::string_view strErrorText)
{
    return BatchErrorLine("delete", strName, strErrorText);
}

std::string DeleteBrokenSummary(int nDeleted, int nFailed)
{
    return BatchSummary(nDeleted, nFailed, "broken links", "deleted");
}
