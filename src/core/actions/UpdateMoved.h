#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/actions/BatchOutcome.h"
#include "core/model/FavoriteItem.h"

// Update Moved Favorites: which favourites are offered for updating, which
// of those are listed but not rewritten, the rewrite of their files one
// after another, and the sentences that report how it went.

// Offered: the last check followed redirects that were all permanent (301,
// 308) and ended at a valid answer, at an address other than the
// favourite's own. Temporary redirects (302, 303, 307) often lead to a
// login page and are never offered; nor is a redirect to a page that is
// gone, nor a deep link sent to its site's home page (whether or not the
// page was looked into).
bool IsOfferedForUpdate(const FavoriteItem& item);

// Why an offered favourite is listed but not rewritten (a shell link, a
// channel, a file that is neither .url nor .desktop); empty when it is
// rewritten.
std::string_view UpdateMovedNote(const FavoriteItem& item);
inline bool IsRewritable(const FavoriteItem& item) { return UpdateMovedNote(item).empty(); }

inline constexpr BatchTexts kUpdateMovedTexts{
    "update",
    "moved favorites",
    "updated",
    "No Moved Favorites were found/Specified.",
    "No Moved Favorites",
    "All of the Moved Favorites were updated successfully.",
    "All Favorites Updated",
    "Errors Occurred While Updating Favorites",
};

// Rewrites the file of every rewritable record in order, pointing it at
// where its redirects ended (records that are not rewritable, or no longer
// offered, are passed by and counted nowhere). After each rewrite that
// succeeded the record's URL is the new one, its redirect is forgotten,
// and `onUpdated` is told with the old URL; a failed one stays as it was
// and gets its line in the errors ("Could not update "<name>": <system
// text>").
BatchOutcome UpdateMovedFavorites(
    const std::vector<std::shared_ptr<FavoriteItem>>& items,
    const std::function<void(const FavoriteItem&, const std::string& strOldUrl)>& onUpdated);

// The summary sentence of the errors dialog.
std::string UpdateMovedSummary(int nUpdated, int nFailed);
