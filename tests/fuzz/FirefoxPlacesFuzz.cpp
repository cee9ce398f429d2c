// A places.sqlite of any bytes: read from its private copy or refused,
// without a crash, with every entry under a folder before it, and nothing
// left in the temporary folder.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BookmarkStoreCheck.h"
#include "core/sources/bookmarks/FirefoxPlaces.h"

namespace {

// A folder of this process's own for the input file.
const std::string& InputFolder()
{
    static const std::string s_strFolder = [] {
        std::string strTemplate = (std::filesystem::temp_directory_path() / "zorbel-fuzz-places-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) == nullptr)
            std::abort();
        return strTemplate;
    }();
    return s_strFolder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strPath = InputFolder() + "/places.sqlite";
    const int hFile = open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (hFile < 0)
        std::abort();
    for (std::size_t nDone = 0; nDone < nSize;) {
        const ssize_t n = write(hFile, pData + nDone, nSize - nDone);
        if (n <= 0)
            std::abort();
        nDone += std::size_t(n);
    }
    close(hFile);
    CheckBookmarkStore(ReadFirefoxPlaces(strPath, [] { return false; }));
    return 0;
}
