#include "core/actions/DeleteBroken.h"

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

BatchOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                   const std::function<void(const FavoriteItem&)>& onDeleted)
{
    return DeleteBrokenFavorites(items, onDeleted, [](FavoriteItem& item) { return DeleteFavoriteFile(item); });
}

BatchOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                   const std::function<void(const FavoriteItem&)>& onDeleted,
                                   const std::function<int(FavoriteItem&)>& fnDelete)
{
    return RunBatch(
        items, kDeleteBrokenTexts, {}, [&fnDelete](FavoriteItem& item) { return fnDelete(item); },
        [&onDeleted](FavoriteItem& item) {
            if (onDeleted)
                onDeleted(item);
        });
}

std::string DeleteBrokenSummary(int nDeleted, int nFailed)
{
    return BatchSummary(nDeleted, nFailed, kDeleteBrokenTexts.m_strThings, kDeleteBrokenTexts.m_strDone);
}
