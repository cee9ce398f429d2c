#include "core/platform/FolderBeneath.h"

#include <fcntl.h>

#include <cerrno>
#include <vector>

int OpenParentBeneath(int hRoot, std::string_view strRelative, CUniqueFd& folder, std::string& strLeaf)
{
    std::vector<std::string_view> names;
    while (!strRelative.empty()) {
        const size_t nSlash = strRelative.find('/');
        const std::string_view strName = strRelative.substr(0, nSlash);
        if (strName == "." || strName == "..")
            return EINVAL;
        if (!strName.empty())
            names.push_back(strName);
        if (nSlash == std::string_view::npos)
            break;
        strRelative.remove_prefix(nSlash + 1);
    }
    if (names.empty())
        return EINVAL;

    CUniqueFd current(::fcntl(hRoot, F_DUPFD_CLOEXEC, 0));
    if (!current.IsOpen())
        return errno;
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        const std::string strName(names[i]);
        constexpr int kFlags = O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
        CUniqueFd next(::openat(current.Get(), strName.c_str(), O_RDONLY | kFlags));
        // A folder that may be passed through but not listed.
        if (!next.IsOpen() && errno == EACCES)
            next.Reset(::openat(current.Get(), strName.c_str(), O_PATH | kFlags));
        if (!next.IsOpen())
            return errno;
        current = std::move(next);
    }
    folder = std::move(current);
    strLeaf = std::string(names.back());
    return 0;
}
