#include "core/platform/Trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/UniqueFd.h"

namespace {

constexpr int kMaxNameTries = 10000;

// Opens a folder without following a final symbolic link.
CUniqueFd OpenFolderAt(int hAt, const char* pszName)
{
    return CUniqueFd(::openat(hAt, pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

// Opens the folder `pszName` inside `hAt`, making it (mode 0700) when it is
// missing. A symbolic link in its place is not followed (ELOOP).
int OpenOrMakeFolderAt(int hAt, const char* pszName, CUniqueFd& out)
{
    out = OpenFolderAt(hAt, pszName);
    if (out.IsOpen())
        return 0;
    if (errno != ENOENT)
        return errno;
    if (::mkdirat(hAt, pszName, 0700) != 0 && errno != EEXIST)
        return errno;
    out = OpenFolderAt(hAt, pszName);
    return out.IsOpen() ? 0 : errno;
}

// Opens an absolute folder path, making every missing folder on the way
// with mode 0700 (the home's own folders may be symbolic links; they are
// followed, as the user set them up).
int OpenOrMakeFolderPath(const std::string& strPath, CUniqueFd& out)
{
    if (strPath.empty() || strPath.front() != '/')
        return EINVAL;
    CUniqueFd current(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current.IsOpen())
        return errno;
    std::size_t nPos = 1;
    while (nPos <= strPath.size()) {
        std::size_t nEnd = strPath.find('/', nPos);
        if (nEnd == std::string::npos)
            nEnd = strPath.size();
        const std::string strPart = strPath.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (strPart.empty() || strPart == ".")
            continue;
        CUniqueFd next(::openat(current.Get(), strPart.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
        if (!next.IsOpen()) {
            if (errno != ENOENT)
                return errno;
            if (::mkdirat(current.Get(), strPart.c_str(), 0700) != 0 && errno != EEXIST)
                return errno;
            next = CUniqueFd(::openat(current.Get(), strPart.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
            if (!next.IsOpen())
                return errno;
        }
        current = std::move(next);
    }
    out = std::move(current);
    return 0;
}

// The absolute path of an open folder, as the kernel knows it.
std::string FolderPathOf(int hFolder)
{
    char szLink[64];
    std::snprintf(szLink, sizeof szLink, "/proc/self/fd/%d", hFolder);
    std::string strPath(4096, '\0');
    const ssize_t nLength = ::readlink(szLink, strPath.data(), strPath.size());
    if (nLength <= 0 || static_cast<std::size_t>(nLength) >= strPath.size())
        return {};
    strPath.resize(static_cast<std::size_t>(nLength));
    return strPath.front() == '/' ? strPath : std::string();
}

std::string JoinPath(const std::string& strFolder, const std::string& strName)
{
    return strFolder == "/" ? "/" + strName : strFolder + "/" + strName;
}

std::string ParentOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.rfind('/');
    return nSlash == 0 || nSlash == std::string::npos ? std::string("/") : strPath.substr(0, nSlash);
}

// The device of a path, or of the nearest folder above it that exists.
bool DeviceOfNearest(std::string strPath, dev_t& nDevice)
{
    for (;;) {
        struct stat st{};
        if (::stat(strPath.c_str(), &st) == 0) {
            nDevice = st.st_dev;
            return true;
        }
        if (strPath == "/")
            return false;
        strPath = ParentOf(strPath);
    }
}

// The mount point of the file system that holds `strFolder`: the last
// folder going up whose parent is on another device.
std::string TopFolderOf(const std::string& strFolder, dev_t nDevice)
{
    std::string strPath = strFolder;
    while (strPath != "/") {
        const std::string strParent = ParentOf(strPath);
        struct stat st{};
        if (::stat(strParent.c_str(), &st) != 0 || st.st_dev != nDevice)
            return strPath;
        strPath = strParent;
    }
    return strPath;
}

int WriteAll(int hFd, const std::string& strText)
{
    std::size_t nDone = 0;
    while (nDone < strText.size()) {
        const ssize_t n = ::write(hFd, strText.data() + nDone, strText.size() - nDone);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return 0;
}

// Moves the entry into an opened Trash folder: its info file first, then
// the entry itself.
int PlaceInTrash(int hTrash, const std::string& strTrashPath, int hFolder, const std::string& strName,
                 const std::string& strAbsolutePath, TrashedEntry* pWhere)
{
    CUniqueFd files;
    CUniqueFd info;
    if (const int nError = OpenOrMakeFolderAt(hTrash, "files", files); nError != 0)
        return nError;
    if (const int nError = OpenOrMakeFolderAt(hTrash, "info", info); nError != 0)
        return nError;
    struct stat stTrash{};
    struct stat stEntry{};
    if (::fstat(files.Get(), &stTrash) != 0 || ::fstatat(hFolder, strName.c_str(), &stEntry, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (stTrash.st_dev != stEntry.st_dev)
        return kNoTrashError; // a rename cannot get there, and nothing is copied

    const std::string strInfo = TrashInfoText(strAbsolutePath, std::time(nullptr));
    for (int nTry = 1; nTry <= kMaxNameTries; ++nTry) {
        const std::string strCandidate = nTry == 1 ? strName : strName + "." + std::to_string(nTry);
        const std::string strInfoName = strCandidate + ".trashinfo";
        // The info file claims the name: O_EXCL never takes one another
        // program has just taken.
        CUniqueFd infoFile(::openat(info.Get(), strInfoName.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
        if (!infoFile.IsOpen()) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        int nError = WriteAll(infoFile.Get(), strInfo);
        if (nError == 0 && ::fsync(infoFile.Get()) != 0)
            nError = errno;
        infoFile.Reset();
        if (nError != 0) {
            ::unlinkat(info.Get(), strInfoName.c_str(), 0);
            return nError;
        }
        if (::renameat2(hFolder, strName.c_str(), files.Get(), strCandidate.c_str(), RENAME_NOREPLACE) == 0) {
            if (pWhere)
                *pWhere = {strTrashPath, strCandidate};
            return 0;
        }
        nError = errno;
        if (nError == EINVAL || nError == ENOSYS) {
            // A file system that cannot rename without replacing: the name
            // is looked at first.
            struct stat st{};
            if (::fstatat(files.Get(), strCandidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                nError = EEXIST;
            } else if (::renameat(hFolder, strName.c_str(), files.Get(), strCandidate.c_str()) == 0) {
                if (pWhere)
                    *pWhere = {strTrashPath, strCandidate};
                return 0;
            } else {
                nError = errno;
            }
        }
        ::unlinkat(info.Get(), strInfoName.c_str(), 0);
        if (nError != EEXIST && nError != ENOTEMPTY)
            return nError;
    }
    return EEXIST;
}

std::string HomeFolder()
{
    if (const char* pszHome = std::getenv("HOME"); pszHome && *pszHome == '/')
        return pszHome;
    if (const passwd* pUser = ::getpwuid(::getuid()); pUser && pUser->pw_dir)
        return pUser->pw_dir;
    return {};
}

} // namespace

std::string HomeTrashFolder()
{
    if (const char* pszData = std::getenv("XDG_DATA_HOME"); pszData && *pszData == '/')
        return JoinPath(pszData, "Trash");
    const std::string strHome = HomeFolder();
    if (strHome.empty())
        return {};
    return JoinPath(strHome, ".local/share/Trash");
}

std::string TrashPathEncode(std::string_view strPath)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string strOut;
    strOut.reserve(strPath.size());
    for (const char c : strPath) {
        const auto uc = static_cast<unsigned char>(c);
        const bool bKeep = (uc >= 'a' && uc <= 'z') || (uc >= 'A' && uc <= 'Z') || (uc >= '0' && uc <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '!' || c == '~' || c == '*' || c == '\'' ||
                           c == '(' || c == ')' || c == '/';
        if (bKeep) {
            strOut += c;
        } else {
            strOut += '%';
            strOut += kHex[uc >> 4];
            strOut += kHex[uc & 0x0F];
        }
    }
    return strOut;
}

std::string TrashInfoText(std::string_view strAbsolutePath, std::time_t tDeleted)
{
    std::tm local{};
    ::localtime_r(&tDeleted, &local);
    char szDate[32];
    std::strftime(szDate, sizeof szDate, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + TrashPathEncode(strAbsolutePath) + "\nDeletionDate=" + szDate + "\n";
}

int MoveToTopFolderTrash(int hFolder, const std::string& strName, const std::string& strTopFolder,
                         TrashedEntry* pWhere)
{
    const std::string strFolder = FolderPathOf(hFolder);
    if (strFolder.empty())
        return ENOENT;
    const CUniqueFd top(::open(strTopFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!top.IsOpen())
        return kNoTrashError;
    const std::string strUid = std::to_string(::getuid());

    // $topdir/.Trash/$uid, when .Trash is a real folder with the sticky bit.
    struct stat st{};
    if (::fstatat(top.Get(), ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) != 0) {
        const CUniqueFd shared = OpenFolderAt(top.Get(), ".Trash");
        CUniqueFd mine;
        if (shared.IsOpen() && OpenOrMakeFolderAt(shared.Get(), strUid.c_str(), mine) == 0 &&
            ::fstat(mine.Get(), &st) == 0 && st.st_uid == ::getuid()) {
            const int nError = PlaceInTrash(mine.Get(), JoinPath(JoinPath(strTopFolder, ".Trash"), strUid), hFolder,
                                            strName, JoinPath(strFolder, strName), pWhere);
            if (nError != kNoTrashError && nError != EACCES && nError != EROFS)
                return nError;
        }
    }
    // Otherwise $topdir/.Trash-$uid, made when missing; it must be a folder
    // of the user's own.
    const std::string strOwn = ".Trash-" + strUid;
    CUniqueFd own;
    if (OpenOrMakeFolderAt(top.Get(), strOwn.c_str(), own) != 0)
        return kNoTrashError;
    if (::fstat(own.Get(), &st) != 0 || st.st_uid != ::getuid())
        return kNoTrashError;
    const int nError =
        PlaceInTrash(own.Get(), JoinPath(strTopFolder, strOwn), hFolder, strName, JoinPath(strFolder, strName), pWhere);
    return nError == EROFS ? kNoTrashError : nError;
}

int MoveToTrash(int hFolder, const std::string& strName, TrashedEntry* pWhere)
{
    if (strName.empty() || strName == "." || strName == ".." || strName.find('/') != std::string::npos)
        return EINVAL;
    struct stat stEntry{};
    if (::fstatat(hFolder, strName.c_str(), &stEntry, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    const std::string strFolder = FolderPathOf(hFolder);
    if (strFolder.empty())
        return ENOENT;

    // The home Trash, when it is (or will be) on the entry's file system.
    const std::string strHomeTrash = HomeTrashFolder();
    dev_t nHomeDevice = 0;
    if (!strHomeTrash.empty() && DeviceOfNearest(strHomeTrash, nHomeDevice) && nHomeDevice == stEntry.st_dev) {
        CUniqueFd trash;
        if (const int nError = OpenOrMakeFolderPath(strHomeTrash, trash); nError != 0)
            return nError;
        const int nError = PlaceInTrash(trash.Get(), strHomeTrash, hFolder, strName, JoinPath(strFolder, strName), pWhere);
        if (nError != kNoTrashError)
            return nError;
    }
    return MoveToTopFolderTrash(hFolder, strName, TopFolderOf(strFolder, stEntry.st_dev), pWhere);
}
