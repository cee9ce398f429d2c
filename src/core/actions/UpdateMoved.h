#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

struct UpdateMovedOutcome {
    int m_nUpdated = 0;
    int m_nFailed = 0;
    std::string m_strErrors; // one line per failure, "\r\n" between them
};

// Rewrites the file of every rewritable record in order, pointing it at
// where its redirects ended (records that are not rewritable, or no longer
// offered, are passed by and counted nowhere). After each rewrite that
// succeeded the record's URL is the new one, its redirect is forgotten,
// and `onUpdated` is told with the old URL; a failed one stays as it was
// and gets its line in the errors.
UpdateMovedOutcome UpdateMovedFavorites(
    const std::vector<std::shared_ptr<FavoriteItem>>& items,
    const std::function<void(const FavoriteItem&, const std::string& strOldUrl)>& onUpdated);

// The line of one failure: "Could not update "<name>": <system text>".
std::string UpdateErrorLine(std::string_view strName, std::string_view strErrorText);

// The summary sentence of the errors dialog.
std::string UpdateMovedSummary(int nUpdated, int nFailed);

// The boxes and the errors dialog of the command.
inline constexpr std::string_view kNoMovedFavoritesText = "No Moved Favorites were found/Specified.";
inline constexpr std::string_view kNoMovedFavoritesCaption = "No Moved Favorites";
inline constexpr std::string_view kAllMovedUpdatedText = "All of the Moved Favorites were updated successfully.";
inline constexpr std::string_view kAllMovedUpdatedCaption = "All Favorites Updated";
inline constexpr std::string_view kUpdateErrorsCaption = "Errors Occurred While Updating Favorites";
