#include "core/actions/BatchOutcome.h"

#include "core/actions/FavoriteFiles.h"

BatchOutcome RunBatch(const std::vector<std::shared_ptr<FavoriteItem>>& items, const BatchTexts& texts,
                      const std::function<bool(const FavoriteItem&)>& fnTakes, const BatchAction& fnAct,
                      const std::function<void(FavoriteItem&)>& onDone)
{
    BatchOutcome outcome;
    for (const auto& pItem : items) {
        if (!pItem || (fnTakes && !fnTakes(*pItem)))
            continue;
        const int nError = fnAct(*pItem);
        if (nError != 0) {
            ++outcome.m_nFailed;
            if (!outcome.m_strErrors.empty())
                outcome.m_strErrors += "\r\n";
            outcome.m_strErrors += BatchErrorLine(texts.m_strVerb, pItem->m_strName,
                                                  FavoriteFileErrorText(nError, pItem->m_strPath));
            continue;
        }
        ++outcome.m_nDone;
        if (onDone)
            onDone(*pItem);
    }
    return outcome;
}

std::string BatchErrorLine(std::string_view strVerb, std::string_view strName, std::string_view strErrorText)
{
    std::string strLine = "Could not ";
    strLine += strVerb;
    strLine += " \"";
    strLine += strName;
    strLine += "\": ";
    strLine += strErrorText;
    return strLine;
}

std::string BatchSummary(int nDone, int nFailed, std::string_view strThings, std::string_view strDone)
{
    std::string strText = nDone > 0 ? std::to_string(nDone) + " of the " : std::string("None of the ");
    strText += strThings;
    strText += " were ";
    strText += strDone;
    strText += " successfully.  Below ";
    strText += nFailed == 1 ? "is the error" : "are the errors";
    strText += " for the " + std::to_string(nFailed) + " that could not be ";
    strText += strDone;
    strText += '.';
    return strText;
}

std::string BatchSummary(const BatchTexts& texts, const BatchOutcome& outcome)
{
    return BatchSummary(outcome.m_nDone, outcome.m_nFailed, texts.m_strThings, texts.m_strDone);
}
