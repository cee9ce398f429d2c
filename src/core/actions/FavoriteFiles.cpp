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
#include "core/platform/FolderBeneath.h"
#include "core/platform/Trash.h"
#include "core/platform/UniqueFd.h"
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
bool IsReadOnlyFolder(int hFolder)
{
    struct stat st{};
    return ::fstat(hFolder, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A favourite's file, found from the Favorites folder: the handle of the
// folder it is in, its name there and what it is (a link not followed).
struct LocatedFavorite {
    CUniqueFd m_folder;
    std::string m_strName;
    struct stat m_info {};
};

// Goes down from the Favorites folder to the favourite without following a
// link on the way, and makes sure the file found is the one the scan read.
// A record no scan made is looked for in the folder its path names. A
// folder on the way that is no longer one, and another file in the
// favourite's place, are kFavoriteChangedError.
int LocateFavorite(const std::string& strPath, const FavoriteFileIdentity& id, LocatedFavorite& where)
{
    std::string strRoot;
    std::string_view strRelative;
    if (id.m_nRootLength > 0 && id.m_nRootLength < strPath.size() && strPath[id.m_nRootLength] == '/') {
        strRoot = strPath.substr(0, id.m_nRootLength);
        strRelative = std::string_view(strPath).substr(id.m_nRootLength + 1);
    } else {
        std::string_view strView = strPath;
        while (strView.size() > 1 && strView.back() == '/')
            strView.remove_suffix(1);
        strRoot = ParentFolder(std::string(strView));
        const size_t nSlash = strView.rfind('/');
        strRelative = nSlash == std::string_view::npos ? strView : strView.substr(nSlash + 1);
    }
    // The Favorites folder itself may be a symbolic link: the user named it.
    const CUniqueFd root(::open(strRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!root.IsOpen())
        return errno;
    if (const int nError = OpenParentBeneath(root.Get(), strRelative, where.m_folder, where.m_strName); nError != 0)
        return nError == ELOOP || nError == ENOTDIR ? kFavoriteChangedError : nError;
    if (::fstatat(where.m_folder.Get(), where.m_strName.c_str(), &where.m_info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (id.IsKnown() && (static_cast<std::uint64_t>(where.m_info.st_dev) != id.m_nDevice ||
                         static_cast<std::uint64_t>(where.m_info.st_ino) != id.m_nInode ||
                         (id.m_nType != 0 && (where.m_info.st_mode & S_IFMT) != id.m_nType)))
        return kFavoriteChangedError;
    return 0;
}

// Deletes one file, not a folder, after the read-only checks: for good, or
// into the Trash.
int DeletePlainFile(const LocatedFavorite& where, bool bToTrash)
{
    if (S_ISDIR(where.m_info.st_mode))
        return EISDIR;
    // A symbolic link has no permissions of its own: only its folder decides.
    if (!S_ISLNK(where.m_info.st_mode) && (where.m_info.st_mode & S_IWUSR) == 0)
        return EACCES;
    if (IsReadOnlyFolder(where.m_folder.Get()))
        return EACCES;
    if (bToTrash)
        return MoveToTrash(where.m_folder.Get(), where.m_strName);
    return ::unlinkat(where.m_folder.Get(), where.m_strName.c_str(), 0) == 0 ? 0 : errno;
}

// A channel is a folder that holds its desktop.ini. Everything is checked
// before anything is deleted, so a folder that cannot go keeps its
// desktop.ini and stays a channel. Into the Trash the folder goes whole,
// with its desktop.ini.
int DeleteChannelFolder(const LocatedFavorite& where, bool bToTrash)
{
    CUniqueFd channel(::openat(where.m_folder.Get(), where.m_strName.c_str(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!channel.IsOpen())
        return errno == ELOOP || errno == ENOTDIR ? kFavoriteChangedError : errno;
    struct stat st{};
    if (::fstat(channel.Get(), &st) != 0)
        return errno;
    if (!SameFile(st, where.m_info))
        return kFavoriteChangedError;
    std::string strIni;
    {
        const int hList = ::fcntl(channel.Get(), F_DUPFD_CLOEXEC, 0);
        if (hList < 0)
            return errno;
        std::unique_ptr<DIR, DirCloser> pDir(::fdopendir(hList));
        if (!pDir) {
            const int nError = errno;
            ::close(hList);
            return nError;
        }
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
    if (::fstatat(channel.Get(), strIni.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return ENOTEMPTY; // a folder named desktop.ini is not the channel's file
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        return EACCES;
    if (IsReadOnlyFolder(channel.Get()) || IsReadOnlyFolder(where.m_folder.Get()))
        return EACCES;
    if (bToTrash)
        return MoveToTrash(where.m_folder.Get(), where.m_strName);
    if (::unlinkat(channel.Get(), strIni.c_str(), 0) != 0)
        return errno;
    return ::unlinkat(where.m_folder.Get(), where.m_strName.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int RenameLocated(const LocatedFavorite& where, const std::string& strNewName)
{
    if (IsReadOnlyFolder(where.m_folder.Get()))
        return EACCES;
    const int hFolder = where.m_folder.Get();
    const char* pszOld = where.m_strName.c_str();
    const char* pszNew = strNewName.c_str();
    if (::renameat2(hFolder, pszOld, hFolder, pszNew, RENAME_NOREPLACE) == 0)
        return 0;
    const int nError = errno;
    if (nError != EINVAL && nError != ENOSYS)
        return nError;
    // The file system cannot rename without replacing. A second name for the
    // file fails just the same when the target exists; the old name then
    // goes. Folders have no second names: they are left as they are.
    if (S_ISDIR(where.m_info.st_mode))
        return nError;
    if (::linkat(hFolder, pszOld, hFolder, pszNew, 0) != 0)
        return errno;
    if (::unlinkat(hFolder, pszOld, 0) != 0) {
        const int nUnlinkError = errno;
        ::unlinkat(hFolder, pszNew, 0);
        return nUnlinkError;
    }
    return 0;
}

int RenameAt(const std::string& strOldPath, const FavoriteFileIdentity& id, const std::string& strNewPath)
{
    // A favourite is renamed inside its own folder.
    if (ParentFolder(strOldPath) != ParentFolder(strNewPath))
        return EXDEV;
    std::string_view strNewName = strNewPath;
    while (strNewName.size() > 1 && strNewName.back() == '/')
        strNewName.remove_suffix(1);
    strNewName.remove_prefix(strNewName.rfind('/') + 1);
    if (strNewName.empty() || strNewName == "." || strNewName == "..")
        return EINVAL;
    LocatedFavorite where;
    if (const int nError = LocateFavorite(strOldPath, id, where); nError != 0)
        return nError;
    return RenameLocated(where, std::string(strNewName));
}

int DeleteAt(const std::string& strPath, const FavoriteFileIdentity& id, bool bChannels, bool bToTrash = false)
{
    LocatedFavorite where;
    if (const int nError = LocateFavorite(strPath, id, where); nError != 0)
        return nError;
    if (bChannels && S_ISDIR(where.m_info.st_mode))
        return DeleteChannelFolder(where, bToTrash);
    return DeletePlainFile(where, bToTrash);
}

int RewriteAt(const std::string& strPath, const FavoriteFileIdentity& id, std::string_view strOldUrl,
              std::string_view strNewUrl, FavoriteFileIdentity* pNewId)
{
    const std::optional<ShortcutFormat> format = ShortcutFormatOf(strPath);
    if (!format)
        return kFavoriteNotRewritableError;
    LocatedFavorite where;
    if (const int nError = LocateFavorite(strPath, id, where); nError != 0)
        return nError;
    // The scan made an Internet favourite only of a regular file; anything
    // else in its place now (a symbolic link, a folder) is not what was
    // checked.
    if (!S_ISREG(where.m_info.st_mode))
        return kFavoriteChangedError;
    if ((where.m_info.st_mode & S_IWUSR) == 0 || IsReadOnlyFolder(where.m_folder.Get()))
        return EACCES;

    CShortcutFile file = CShortcutFile::OpenAt(where.m_folder.Get(), where.m_strName, false);
    const std::string& strBytes = file.ReadUpTo(kShortcutReadLimit + 1);
    if (file.Error() != 0)
        return file.Error() == ELOOP ? kFavoriteChangedError : file.Error();
    if (!file.IsRegular() || file.Device() != static_cast<std::uint64_t>(where.m_info.st_dev) ||
        file.Inode() != static_cast<std::uint64_t>(where.m_info.st_ino))
        return kFavoriteChangedError;
    if (strBytes.size() > kShortcutReadLimit)
        return EFBIG;
    if (ShortcutUrlOf(strBytes, *format) != std::optional<std::string>(strOldUrl))
        return kFavoriteChangedError;
    const std::optional<std::string> strNewBytes = RewriteShortcutUrl(strBytes, *format, strNewUrl);
    if (!strNewBytes)
        return kFavoriteNotRewritableError;
    // The scan reads no more of a favourite than this: a longer file would
    // come back with its address cut short.
    if (strNewBytes->size() > kShortcutReadLimit)
        return kFavoriteAddressTooLongError;

    if (CFavoriteFileSeam::s_pfnBeforeWrite)
        CFavoriteFileSeam::s_pfnBeforeWrite(strPath);

    // The path must still lead, without a link, to the folder that was
    // opened and the file that was read.
    LocatedFavorite again;
    if (const int nError = LocateFavorite(strPath, id, again); nError != 0)
        return nError == ENOENT ? kFavoriteChangedError : nError;
    struct stat folderNow{};
    struct stat folderThen{};
    if (::fstat(again.m_folder.Get(), &folderNow) != 0 || ::fstat(where.m_folder.Get(), &folderThen) != 0)
        return errno;
    if (!SameFile(folderNow, folderThen) || !SameFile(again.m_info, where.m_info))
        return kFavoriteChangedError;

    CAtomicFile writer;
    if (const int nError = writer.OpenInFolder(where.m_folder.Get(), where.m_strName); nError != 0)
        return nError == ELOOP ? kFavoriteChangedError : nError;
    const auto [nDevice, nInode] = writer.TargetIdentity();
    if (!writer.TargetExists() || nDevice != static_cast<std::uint64_t>(where.m_info.st_dev) ||
        nInode != static_cast<std::uint64_t>(where.m_info.st_ino))
        return kFavoriteChangedError; // the writer discards its temporary file
    if (const int nError = writer.Write(*strNewBytes); nError != 0)
        return nError;
    if (const int nError = writer.Commit(); nError != 0)
        return nError;
    if (pNewId) {
        // The favourite is now the new file.
        const auto [nNewDevice, nNewInode] = writer.TargetIdentity();
        *pNewId = {id.m_nRootLength, nNewDevice, nNewInode, S_IFREG};
    }
    return 0;
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
    return RenameAt(strOldPath, {}, strNewPath);
}

int RenameFavoriteFile(const FavoriteItem& item, const std::string& strNewPath)
{
    return RenameAt(item.m_strPath, item.m_fileId, strNewPath);
}

int DeleteFavorite(const std::string& strPath) { return DeleteAt(strPath, {}, true); }

int DeleteFavorite(const FavoriteItem& item) { return DeleteAt(item.m_strPath, item.m_fileId, true); }

int DeleteFavoriteFile(const std::string& strPath) { return DeleteAt(strPath, {}, false); }

int DeleteFavoriteFile(const FavoriteItem& item) { return DeleteAt(item.m_strPath, item.m_fileId, false); }

int TrashFavorite(const std::string& strPath) { return DeleteAt(strPath, {}, true, true); }

int TrashFavorite(const FavoriteItem& item) { return DeleteAt(item.m_strPath, item.m_fileId, true, true); }

int TrashFavoriteFile(const FavoriteItem& item) { return DeleteAt(item.m_strPath, item.m_fileId, false, true); }

int RewriteFavoriteUrl(const std::string& strPath, std::string_view strOldUrl, std::string_view strNewUrl)
{
    return RewriteAt(strPath, {}, strOldUrl, strNewUrl, nullptr);
}

int RewriteFavoriteUrl(FavoriteItem& item, std::string_view strNewUrl)
{
    FavoriteFileIdentity newId;
    const int nError = RewriteAt(item.m_strPath, item.m_fileId, item.m_strUrl, strNewUrl, &newId);
    if (nError == 0 && item.m_fileId.IsKnown())
        item.m_fileId = newId;
    return nError;
}

std::string FavoriteFileErrorText(int nError, const std::string& strPath)
{
    if (nError == kFavoriteChangedError)
        return "The file was changed since the check: it no longer holds the address that was checked, or is "
               "no longer the file that was read there.";
    if (nError == kFavoriteNotRewritableError)
        return "The address in this file cannot be changed in place.";
    if (nError == kNoTrashError)
        return "The file system that holds this Favorite has no Trash, and none can be made there.";
    if (nError == kFavoriteAddressTooLongError)
        return "The new address is too long: with it the file would be larger than the 64 KB a favourite is "
               "read up to, and would be read back cut short.";
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
