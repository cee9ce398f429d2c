#include "model/DeleteBroken.h"

#include <cstdio>

#include "model/FavoriteFiles.h"
#include "model/LinkStatus.h"

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
        const int nError = DeleteFavoriteFile(pItem->m_strPath);
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
    std::string strLine = "Could not delete \"";
    strLine += strName;
    strLine += "\": ";
    strLine += strErrorText;
    return strLine;
}

std::string DeleteBrokenSummary(int nDeleted, int nFailed)
{
    const char* pszPhrase = nFailed == 1 ? "is the error" : "are the errors";
    char szText[256];
    if (nDeleted > 0)
        std::snprintf(szText, sizeof szText,
                      "%d of the broken links were deleted successfully.  Below %s for the %d that could not be "
                      "deleted.",
                      nDeleted, pszPhrase, nFailed);
    else
        std::snprintf(szText, sizeof szText,
                      "None of the broken links were deleted successfully.  Below %s for the %d that could not be "
                      "deleted.",
                      pszPhrase, nFailed);
    return szText;
}
