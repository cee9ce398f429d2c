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

// Lower-case ranges and what to add to reach upper case. Parity 0 takes
// every code point of the range, 1 only odd ones, 2 only even ones (the
// Latin Extended-A pairs alternate upper and lower case).
struct UpperCaseRange {
    char32_t m_nFirst;
    char32_t m_nLast;
    int m_nDelta;
    int m_nParity;
};
constexpr std::array<UpperCaseRange, 15> kUpperCaseRanges{{
    {0x0061, 0x007A, -32, 0},  // a-z
    {0x00E0, 0x00F6, -32, 0},  // à-ö
    {0x00F8, 0x00FE, -32, 0},  // ø-þ
    {0x00FF, 0x00FF, 0x79, 0}, // ÿ -> Ÿ
    {0x0100, 0x012F, -1, 1},
    {0x0132, 0x0137, -1, 1},
    {0x0139, 0x0148, -1, 2},
    {0x014A, 0x0177, -1, 1},
    {0x0179, 0x017E, -1, 2},
    {0x03B1, 0x03C1, -32, 0}, // Greek
    {0x03C2, 0x03C2, -31, 0}, // final sigma
    {0x03C3, 0x03CB, -32, 0},
    {0x0430, 0x044F, -32, 0}, // Cyrillic
    {0x0450, 0x045F, -80, 0},
    {0xFF41, 0xFF5A, -32, 0}, // full-width a-z
}};

char32_t ToUpperCodePoint(char32_t cp)
{
    if (cp < 0x61)
        return cp;
    for (const auto& r : kUpperCaseRanges) {
        if (cp < r.m_nFirst)
            break;
        if (cp > r.m_nLast)
            continue;
        if (r.m_nParity == 0 || (r.m_nParity == 1) == (cp % 2 == 1))
            return static_cast<char32_t>(static_cast<int>(cp) + r.m_nDelta);
        return cp;
    }
    return cp;
}

// The next folded unit of a name: a code point, or for a byte that is not
// UTF-8 its value above every code point, so such names sort last.
char32_t NextFolded(std::string_view s, size_t& nPos)
{
    const size_t nStart = nPos;
    if (const auto cp = NextUtf8CodePoint(s, nPos))
        return ToUpperCodePoint(*cp);
    nPos = nStart + 1;
    return 0x110000 + static_cast<unsigned char>(s[nStart]);
}

int CompareFolded(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = NextFolded(a, i);
        const char32_t cb = NextFolded(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

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

int CompareNamesNoCase(std::string_view a, std::string_view b)
{
    if (const int n = CompareFolded(a, b); n != 0)
        return n;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool NamesEqualNoCase(std::string_view a, std::string_view b) { return CompareFolded(a, b) == 0; }

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

bool HasExtensionNoCase(std::string_view strName, std::string_view strExtension)
{
    if (strName.size() <= strExtension.size())
        return false;
    return NamesEqualNoCase(strName.substr(strName.size() - strExtension.size()), strExtension);
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
