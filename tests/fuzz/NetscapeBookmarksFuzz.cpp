// A Netscape bookmark file of any bytes: read whole without a crash, every
// entry in order under a folder before it; the recognition of such files
// never fails either.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "BookmarkStoreCheck.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view strBytes(reinterpret_cast<const char*>(pData), nSize);
    (void)LooksLikeNetscapeBookmarks(strBytes);
    (void)SniffBookmarkFormat(strBytes);
    CheckBookmarkStore(ReadNetscapeBookmarks(strBytes));
    return 0;
}
