#pragma once

#include <cstdint>

// How deep the folders of any source may nest: the Favorites folder and
// every bookmark store. An entry lies at most this many folders deep. Far
// more than anyone files bookmarks in; the bound keeps the memory and the
// open folders of a hostile tree in proportion to its size.
//   a bookmark store that nests deeper is refused whole with a message
//   naming the limit (a shorter list is never passed off as the store);
//   the scan shows a folder at the limit as an empty folder and tells of
//   it as a problem naming the limit, as it does of a folder it cannot read.
inline constexpr std::int32_t kMaxFolderDepth = 1000;
