#include "core/actions/UpdateMoved.h"

#include "core/actions/FavoriteFiles.h"
#include "core/check/SiteAddress.h"
#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"
#include "core/shortcuts/ShortcutRewrite.h"

bool IsOfferedForUpdate(const FavoriteItem& item)
{
    if (item.Status() != StatusValid)
        return false;
    const FavoriteRedirect redirect = item.Redirect();
    // A deep link that now lands on the site's home page has lost its page;
    // pointing it home would throw away the only record of where it was.
    return redirect.m_bPermanent && !redirect.m_strFinalUrl.empty() && redirect.m_strFinalUrl != item.m_strUrl &&
           !IsRedirectToHome(item.m_strUrl, redirect.m_strFinalUrl);
}

std::string_view UpdateMovedNote(const FavoriteItem& item)
{
    switch (item.m_nKind) {
    case KindShortcut:
        return "A shell link is not rewritten";
    case KindChannelLink:
        return "A channel is not rewritten";
    case KindInternetFavorite:
        if (ShortcutFormatOf(item.m_strPath))
            return {};
        [[fallthrough]];
    default:
        return "Only .url and .desktop files are rewritten";
    }
}

BatchOutcome UpdateMovedFavorites(
    const std::vector<std::shared_ptr<FavoriteItem>>& items,
    const std::function<void(const FavoriteItem&, const std::string& strOldUrl)>& onUpdated)
{
    std::string strOldUrl;
    return RunBatch(
        items, kUpdateMovedTexts,
        [](const FavoriteItem& item) { return IsRewritable(item) && IsOfferedForUpdate(item); },
        [&strOldUrl](FavoriteItem& item) {
            strOldUrl = item.m_strUrl;
            const std::string strNewUrl = item.Redirect().m_strFinalUrl;
            const int nError = RewriteFavoriteUrl(item, strNewUrl);
            if (nError == 0)
                item.SetUpdatedUrl(strNewUrl);
            return nError;
        },
        [&strOldUrl, &onUpdated](FavoriteItem& item) {
            if (onUpdated)
                onUpdated(item, strOldUrl);
        });
}

std::string UpdateMovedSummary(int nUpdated, int nFailed)
{
    return BatchSummary(nUpdated, nFailed, kUpdateMovedTexts.m_strThings, kUpdateMovedTexts.m_strDone);
}
