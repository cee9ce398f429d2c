// A Chromium Bookmarks file of any bytes: read or refused without a crash
// and within the nesting limit, every entry under a folder before it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "BookmarkStoreCheck.h"
#include "core/sources/bookmarks/ChromiumBookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CheckBookmarkStore(ReadChromiumBookmarks(std::string_view(reinterpret_cast<const char*>(pData), nSize)));
    return 0;
}
