#pragma once

#include <string>
#include <string_view>

#include "core/platform/UniqueFd.h"

// Opens the folder that holds the last name of strRelative, going down from
// the folder hRoot one name at a time, each opened with O_NOFOLLOW and
// O_DIRECTORY: a symbolic link anywhere on the way (one put in a folder's
// place, say) ends the walk with ELOOP or ENOTDIR instead of leading
// somewhere else. Empty names (from repeated slashes) are skipped; "." and
// ".." are refused (EINVAL), so the walk never leaves hRoot. strLeaf gets
// the last name. Returns 0 or the errno that stopped it.
int OpenParentBeneath(int hRoot, std::string_view strRelative, CUniqueFd& folder, std::string& strLeaf);
