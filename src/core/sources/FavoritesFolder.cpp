#include "core/sources/FavoritesFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/platform/PathUtil.h"
#include "core/shortcuts/TextEncoding.h"

namespace {

struct DirCloser {
    void operator()(DIR* p) const { ::closedir(p); }
};

std::string EnvOrEmpty(const char* pName)
{
    const char* p = std::getenv(pName);
    return p ? std::string(p) : std::string();
}

// The path as an absolute one: a relative path is taken from the working
// directory; empty and "." parts and trailing slashes are dropped. ".."
// parts stay, as a symbolic link before one changes what it means. Empty
// when the working directory cannot be read.
std::string AbsolutePath(const std::string& strPath)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path absolute = strPath.starts_with('/') ? fs::path("/") : fs::current_path(ec);
    if (ec)
        return {};
    for (const fs::path& part : fs::path(strPath).relative_path())
        if (!part.empty() && part != ".")
            absolute /= part;
    return absolute.string();
}

EntryNodeType TypeOf(int hFolder, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_DIR: return EntryNodeType::Directory;
    case DT_REG: return EntryNodeType::Regular;
    case DT_LNK: return EntryNodeType::Symlink;
    case DT_UNKNOWN: break;
    default: return EntryNodeType::Other;
    }
    struct stat st {};
    if (::fstatat(hFolder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryNodeType::Other;
    if (S_ISDIR(st.st_mode))
        return EntryNodeType::Directory;
    if (S_ISREG(st.st_mode))
        return EntryNodeType::Regular;
    if (S_ISLNK(st.st_mode))
        return EntryNodeType::Symlink;
    return EntryNodeType::Other;
}

} // namespace

FavoritesEnvironment CurrentFavoritesEnvironment()
{
    FavoritesEnvironment env;
    env.m_strFavorites = EnvOrEmpty("ZORBEL_FAVORITES");
    env.m_strHome = EnvOrEmpty("HOME");
    env.m_strWinePrefix = EnvOrEmpty("WINEPREFIX");
    env.m_strLogin = EnvOrEmpty("USER");
    if (env.m_strHome.empty() || env.m_strLogin.empty()) {
        // getpwuid_r, as another thread may look up users at the same time.
        std::array<char, 4096> buffer{};
        passwd pw{};
        passwd* pResult = nullptr;
        if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &pResult) == 0 && pResult) {
            if (env.m_strHome.empty() && pw.pw_dir)
                env.m_strHome = pw.pw_dir;
            if (env.m_strLogin.empty() && pw.pw_name)
                env.m_strLogin = pw.pw_name;
        }
    }
    return env;
}

FavoritesLocation FindFavoritesFolder(const FavoritesEnvironment& env)
{
    FavoritesLocation location;
    if (!env.m_strFavorites.empty()) {
        // The folder the user named, or none: falling back to another folder
        // would check (and let the user delete from) a list they did not ask for.
        location.m_bNamed = true;
        struct stat st {};
        if (::stat(env.m_strFavorites.c_str(), &st) != 0)
            location.m_nError = errno;
        else if (!S_ISDIR(st.st_mode))
            location.m_nError = ENOTDIR;
        else
            location.m_strFolder = AbsolutePath(env.m_strFavorites);
        return location;
    }
    std::vector<std::string> candidates;
    if (!env.m_strHome.empty())
        candidates.push_back(env.m_strHome + "/Favorites");
    std::string strPrefix = env.m_strWinePrefix;
    if (strPrefix.empty() && !env.m_strHome.empty())
        strPrefix = env.m_strHome + "/.wine";
    if (!strPrefix.empty() && !env.m_strLogin.empty())
        candidates.push_back(strPrefix + "/drive_c/users/" + env.m_strLogin + "/Favorites");
    // Absolute, so that the paths of the records made from it do not depend
    // on the working directory of the moment.
    for (const auto& strCandidate : candidates) {
        if (PathIsDirectoryA(strCandidate)) {
            location.m_strFolder = AbsolutePath(strCandidate);
            break;
        }
    }
    return location;
}

std::string LocateFavoritesFolder(const FavoritesEnvironment& env) { return FindFavoritesFolder(env).m_strFolder; }

std::string LocateFavoritesFolder() { return LocateFavoritesFolder(CurrentFavoritesEnvironment()); }

std::string FindWinePrefix(const std::string& strFolder)
{
    if (strFolder.empty())
        return {};
    std::string strPath = AbsolutePath(strFolder);
    while (!strPath.empty()) {
        if (PathIsDirectoryA(strPath + "/dosdevices"))
            return strPath;
        const size_t nSlash = strPath.find_last_of('/');
        if (nSlash == std::string::npos || nSlash == 0)
            break;
        strPath.resize(nSlash);
    }
    return {};
}

bool IsHiddenEntryName(std::string_view strName, bool bFolder)
{
    return strName.starts_with('.') || (!bFolder && NamesEqualNoCase(strName, "desktop.ini"));
}

int OpenFavoritesFolderAt(int hParent, const std::string& strName, bool bFollowLinks, CUniqueFd& folder)
{
    const int nFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC | (bFollowLinks ? 0 : O_NOFOLLOW);
    folder.Reset(::openat(hParent, strName.c_str(), nFlags));
    return folder.IsOpen() ? 0 : errno;
}

std::optional<FolderListing> ListFavoritesFolderAt(int hFolder, int& nError)
{
    nError = 0;
    // fdopendir takes the descriptor it is given, so it gets a copy of its
    // own (read from the start, below).
    CUniqueFd copy(::fcntl(hFolder, F_DUPFD_CLOEXEC, 0));
    if (!copy.IsOpen()) {
        nError = errno;
        return std::nullopt;
    }
    std::unique_ptr<DIR, DirCloser> pDir(::fdopendir(copy.Get()));
    if (!pDir) {
        nError = errno;
        return std::nullopt;
    }
    copy.Release();
    ::rewinddir(pDir.get());
    FolderListing listing;
    for (;;) {
        errno = 0;
        const dirent* pEntry = ::readdir(pDir.get());
        if (!pEntry) {
            if (errno != 0) {
                nError = errno;
                return std::nullopt;
            }
            break;
        }
        const std::string_view strName = pEntry->d_name;
        if (strName.starts_with('.'))
            continue;
        const EntryNodeType nType = TypeOf(::dirfd(pDir.get()), *pEntry);
        if (IsHiddenEntryName(strName, nType == EntryNodeType::Directory)) {
            // Only a file counts as the folder's settings; the first in name
            // order wins when several differ only in case.
            if (nType == EntryNodeType::Regular &&
                (listing.m_strDesktopIni.empty() || strName < listing.m_strDesktopIni))
                listing.m_strDesktopIni = strName;
            continue;
        }
        listing.m_entries.push_back({std::string(strName), nType});
    }
    std::sort(listing.m_entries.begin(), listing.m_entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return CompareNamesNoCase(a.m_strName, b.m_strName) < 0;
    });
    return listing;
}

std::string DisplayNameOf(std::string_view strName, bool bFolder)
{
    static constexpr std::array<std::string_view, 3> kHiddenExtensions{".url", ".lnk", ".desktop"};
    if (!bFolder) {
        for (const auto ext : kHiddenExtensions) {
            if (HasExtensionNoCase(strName, ext)) {
                strName.remove_suffix(ext.size());
                break;
            }
        }
    }
    return SanitizeUtf8(strName);
}
