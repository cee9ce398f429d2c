#include "core/actions/FavoriteFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/model/FavoriteKind.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/SystemError.h"
#include "core/shortcuts/ShortcutReaders.h"
#include "core/shortcuts/ShortcutRewrite.h"
#include "core/sources/FavoritesFolder.h"

namespace {

struct DirCloser {
    void operator()(DIR* pDir) const { ::closedir(pDir); }
};

// The folder that holds a path's last element ("/" for a top-level entry,
// "." for a bare name).
std::string ParentFolder(const std::string& strPath)
{
    std::string_view strView = strPath;
    while (strView.size() > 1 && strView.back() == '/')
        strView.remove_suffix(1);
    const std::size_t nSlash = strView.rfind('/');
    if (nSlash == std::string_view::npos)
        return ".";
    return nSlash == 0 ? std::string("/") : std::string(strView.substr(0, nSlash));
}

// The owner may not write to it: its entries may not be added, renamed or
// removed. A folder that cannot be read is left to the operation itself.
bool IsReadOnlyFolder(const std::string& strFolder)
{
    struct stat st{};
    return ::stat(strFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

// Deletes one file, not a folder, after the read-only checks.
int DeletePlainFile(const std::string& strPath)
{
    struct stat st{};
    if (::lstat(strPath.c_str(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // A symbolic link has no permissions of its own: only its folder decides.
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        return EACCES;
    if (IsReadOnlyFolder(ParentFolder(strPath)))
        return EACCES;
    return ::unlink(strPath.c_str()) == 0 ? 0 : errno;
}

// A channel is a folder that holds its desktop.ini. Everything is checked
// before anything is deleted, so a folder that cannot go keeps its
// desktop.ini and stays a channel.
int DeleteChannelFolder(const std::string& strFolder)
{
    std::string strIni;
    {
        std::unique_ptr<DIR, DirCloser> pDir(::opendir(strFolder.c_str()));
        if (!pDir)
            return errno;
        errno = 0;
        while (const dirent* pEntry = ::readdir(pDir.get())) {
            const std::string_view strName = pEntry->d_name;
            if (strName == "." || strName == "..")
                continue;
            // A second desktop.ini in another letter case is something else
            // the folder holds.
            if (!strIni.empty() || !NamesEqualNoCase(strName, "desktop.ini"))
                return ENOTEMPTY;
            strIni = strName;
        }
        if (errno != 0)
            return errno;
    }
    if (strIni.empty())
        return ENOENT; // no desktop.ini to delete
    const std::string strIniPath = strFolder + "/" + strIni;
    struct stat st{};
    if (::lstat(strIniPath.c_str(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return ENOTEMPTY; // a folder named desktop.ini is not the channel's file
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        return EACCES;
    if (IsReadOnlyFolder(strFolder) || IsReadOnlyFolder(ParentFolder(strFolder)))
        return EACCES;
    if (::unlink(strIniPath.c_str()) != 0)
        return errno;
    return ::rmdir(strFolder.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::optional<char> FindInvalidNameChar(std::string_view strName)
{
    for (const char c : strName) {
        const auto uc = static_cast<unsigned char>(c);
        if (uc < 0x20 || c == '"' || c == '<' || c == '>' || c == '|' || c == '/')
            return c;
    }
    return std::nullopt;
}

std::string_view PathExtension(std::string_view strPath)
{
    std::size_t nDot = std::string_view::npos;
    for (std::size_t i = 0; i < strPath.size(); ++i) {
        const char c = strPath[i];
        if (c == '.')
            nDot = i;
        else if (c == ' ' || c == '/')
            nDot = std::string_view::npos;
    }
    return nDot == std::string_view::npos ? std::string_view() : strPath.substr(nDot);
}

std::string RenamedFavoritePath(std::string_view strOldPath, std::string_view strNewName)
{
    const std::size_t nSlash = strOldPath.rfind('/');
    const std::string_view strFolder =
        nSlash == std::string_view::npos ? std::string_view() : strOldPath.substr(0, nSlash + 1);
    const std::string_view strFileName =
        nSlash == std::string_view::npos ? strOldPath : strOldPath.substr(nSlash + 1);
    const std::string_view strExtension = PathExtension(strFileName);

    std::string strNewPath(strFolder);
    strNewPath += strNewName;
    // An old extension that the name carries already is not added twice.
    if (!strExtension.empty() && !HasExtensionNoCase(strNewName, strExtension))
        strNewPath += strExtension;
    return strNewPath;
}

int RenameFavoriteFile(const std::string& strOldPath, const std::string& strNewPath)
{
    struct stat st{};
    if (::lstat(strOldPath.c_str(), &st) != 0)
        return errno;
    if (IsReadOnlyFolder(ParentFolder(strOldPath)) || IsReadOnlyFolder(ParentFolder(strNewPath)))
        return EACCES;
    if (::renameat2(AT_FDCWD, strOldPath.c_str(), AT_FDCWD, strNewPath.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int nError = errno;
    if (nError != EINVAL && nError != ENOSYS)
        return nError;
    // The file system cannot rename without replacing. A second name for the
    // file fails just the same when the target exists; the old name then
    // goes. Folders have no second names: they are left as they are.
    if (S_ISDIR(st.st_mode))
        return nError;
    if (::linkat(AT_FDCWD, strOldPath.c_str(), AT_FDCWD, strNewPath.c_str(), 0) != 0)
        return errno;
    if (::unlink(strOldPath.c_str()) != 0) {
        const int nUnlinkError = errno;
        ::unlink(strNewPath.c_str());
        return nUnlinkError;
    }
    return 0;
}

int DeleteFavorite(const std::string& strPath)
{
    struct stat st{};
    if (::lstat(strPath.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? DeleteChannelFolder(strPath) : DeletePlainFile(strPath);
}

int DeleteFavoriteFile(const std::string& strPath) { return DeletePlainFile(strPath); }

int RewriteFavoriteUrl(const std::string& strPath, std::string_view strOldUrl, std::string_view strNewUrl)
{
    const std::optional<ShortcutFormat> format = ShortcutFormatOf(strPath);
    if (!format)
        return kFavoriteNotRewritableError;
    struct stat st{};
    if (::lstat(strPath.c_str(), &st) != 0)
        return errno;
    // The scan made an Internet favourite only of a regular file; anything
    // else in its place now (a symbolic link, a folder) is not what was
    // checked.
    if (!S_ISREG(st.st_mode))
        return kFavoriteChangedError;
    if ((st.st_mode & S_IWUSR) == 0 || IsReadOnlyFolder(ParentFolder(strPath)))
        return EACCES;

    CShortcutFile file = CShortcutFile::OpenAt(AT_FDCWD, strPath, false);
    const std::string& strBytes = file.ReadUpTo(kShortcutReadLimit + 1);
    if (file.Error() != 0)
        return file.Error() == ELOOP ? kFavoriteChangedError : file.Error();
    if (!file.IsRegular())
        return kFavoriteChangedError;
    if (strBytes.size() > kShortcutReadLimit)
        return EFBIG;
    if (ShortcutUrlOf(strBytes, *format) != std::optional<std::string>(strOldUrl))
        return kFavoriteChangedError;
    const std::optional<std::string> strNewBytes = RewriteShortcutUrl(strBytes, *format, strNewUrl);
    if (!strNewBytes)
        return kFavoriteNotRewritableError;
    return WriteFileAtomically(strPath, *strNewBytes);
}

std::string FavoriteFileErrorText(int nError, const std::string& strPath)
{
    if (nError == kFavoriteChangedError)
        return "The file no longer holds the address that was checked; it was changed since.";
    if (nError == kFavoriteNotRewritableError)
        return "The address in this file cannot be changed in place.";
    char szBuffer[1024] = {};
    std::string strText = FormatSystemError(static_cast<std::uint32_t>(nError), szBuffer, sizeof szBuffer);
    for (std::size_t nAt = strText.find("%1"); nAt != std::string::npos; nAt = strText.find("%1", nAt + strPath.size()))
        strText.replace(nAt, 2, strPath);
    return strText;
}

std::optional<FavoriteFileInfo> ReadFavoriteFileInfo(const std::string& strPath)
{
    struct stat st{};
    if (::lstat(strPath.c_str(), &st) != 0)
        return std::nullopt;
    FavoriteFileInfo info;
    info.m_bFolder = S_ISDIR(st.st_mode);
    info.m_bSymlink = S_ISLNK(st.st_mode);
    info.m_nSize = static_cast<std::uint64_t>(st.st_size);
    info.m_tModified = st.st_mtim.tv_sec;
    char cType = '-';
    if (info.m_bFolder)
        cType = 'd';
    else if (info.m_bSymlink)
        cType = 'l';
    info.m_strPermissions += cType;
    static constexpr struct {
        mode_t m_nBit;
        char m_c;
    } kBits[] = {{S_IRUSR, 'r'}, {S_IWUSR, 'w'}, {S_IXUSR, 'x'}, {S_IRGRP, 'r'}, {S_IWGRP, 'w'},
                 {S_IXGRP, 'x'}, {S_IROTH, 'r'}, {S_IWOTH, 'w'}, {S_IXOTH, 'x'}};
    for (const auto& bit : kBits)
        info.m_strPermissions += (st.st_mode & bit.m_nBit) ? bit.m_c : '-';
    return info;
}

std::string_view FavoriteKindTypeName(int nKind)
{
    switch (nKind) {
    case KindInternetFavorite:
        return "Internet Shortcut";
    case KindFolder:
        return "File Folder";
    case KindChannelLink:
        return "Channel Shortcut";
    default:
        return "Shortcut";
    }
}
