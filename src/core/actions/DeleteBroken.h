#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/FavoriteItem.h"

// Delete All Broken Favorites: which favourites are offered for deletion,
// the deletion of their files one after another, and the sentences that
// report how it went.

// The statuses listed: Broken, and PartiallyValid too when asked for.
std::int32_t DeleteBrokenMask(bool bIncludePartial);
bool IsListedForDeletion(std::int32_t nStatus, bool bIncludePartial);

struct DeleteBrokenOutcome {
    int m_nDeleted = 0;
    int m_nFailed = 0;
    std::string m_strErrors; // one line per failure, "\r\n" between them
};

// Deletes the file of every record in order (a plain file deletion: a
// channel's folder is not deleted and counts as a failure). After each
// deletion that succeeded, `onDeleted` takes the record out of the view; a
// failed one stays where it is and gets its line in the errors.
DeleteBrokenOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                          const std::function<void(const FavoriteItem&)>& onDeleted);

// The line of one failure: "Could not delete "<name>": <system text>".
std::string DeleteErrorLine(std::string_view strName, std::string_view strErrorText);

// The summary sentence of the errors dialog.
std::string DeleteBrokenSummary(int nDeleted, int nFailed);

// The boxes of the command.
inline constexpr std::string_view kNoBrokenLinksText = "No Broken Links were found/Specified.";
inline constexpr std::string_view kNoBrokenLinksCaption = "No Broken Links";
inline constexpr std::string_view kAllBrokenDeletedText = "All of the Broken Links were deleted successfully.";
inline constexpr std::string_view kAllBrokenDeletedCaption = "All Links Deleted";
