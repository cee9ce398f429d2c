#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/actions/BatchOutcome.h"
#include "core/model/FavoriteItem.h"

// Delete All Broken Favorites: which favourites are offered for deletion,
// the deletion of their files one after another, and the words that report
// how it went.

// The statuses listed: Broken, and PartiallyValid too when asked for.
std::int32_t DeleteBrokenMask(bool bIncludePartial);
bool IsListedForDeletion(std::int32_t nStatus, bool bIncludePartial);

inline constexpr BatchTexts kDeleteBrokenTexts{
    "delete",
    "broken links",
    "deleted",
    "No Broken Links were found/Specified.",
    "No Broken Links",
    "All of the Broken Links were deleted successfully.",
    "All Links Deleted",
    "Errors Occurred While Deleting Favorites",
};

// Deletes the file of every record in order (a plain file deletion: a
// channel's folder is not deleted and counts as a failure). After each
// deletion that succeeded, `onDeleted` takes the record out of the view; a
// failed one stays where it is and gets its line in the errors
// ("Could not delete "<name>": <system text>").
BatchOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                   const std::function<void(const FavoriteItem&)>& onDeleted);

// The same with the deletion of one record given: `fnDelete` returns 0 or an
// error as the file operations do (the window moves the files to the Trash
// with TrashFavoriteFile and asks before deleting one for good).
BatchOutcome DeleteBrokenFavorites(const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                   const std::function<void(const FavoriteItem&)>& onDeleted,
                                   const std::function<int(FavoriteItem&)>& fnDelete);

// The summary sentence of the errors dialog.
std::string DeleteBrokenSummary(int nDeleted, int nFailed);
