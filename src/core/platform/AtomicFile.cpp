#include "core/platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

// As the kernel follows a chain of symbolic links at most this often.
constexpr int kMaxLinkHops = 40;
// The target's name is shortened in the temporary file's name, which must
// stay within the file system's limit of 255 bytes.
constexpr std::size_t kMaxNameInTemp = 200;
constexpr int kTempAttempts = 100;

std::string FolderOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.find_last_of('/');
    if (nSlash == std::string::npos)
        return ".";
    return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
}

std::string NameOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.find_last_of('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// The path that a write to strPath ends at: symbolic links in its last part
// followed as open() follows them, up to a path that is not a link (or does
// not exist yet). 0, or ELOOP for a chain that does not end.
int FollowLinks(const std::string& strPath, std::string& strTarget)
{
    std::string strCurrent = strPath;
    for (int nHop = 0; nHop <= kMaxLinkHops; ++nHop) {
        struct stat info {};
        if (::lstat(strCurrent.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            strTarget = std::move(strCurrent);
            return 0;
        }
        char szLink[PATH_MAX];
        const ssize_t nLength = ::readlink(strCurrent.c_str(), szLink, sizeof szLink);
        if (nLength < 0)
            return errno;
        if (static_cast<std::size_t>(nLength) >= sizeof szLink)
            return ENAMETOOLONG;
        const std::string strLink(szLink, static_cast<std::size_t>(nLength));
        strCurrent = strLink.starts_with('/') ? strLink : FolderOf(strCurrent) + "/" + strLink;
    }
    return ELOOP;
}

// Eight letters that make the temporary file's name unlikely to be taken.
std::string RandomSuffix()
{
    std::uint32_t nRandom = 0;
    if (::getrandom(&nRandom, sizeof nRandom, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof nRandom))
        nRandom = static_cast<std::uint32_t>(std::time(nullptr)) ^ (static_cast<std::uint32_t>(::getpid()) << 16);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
    std::string strSuffix;
    for (int n = 0; n < 8; ++n) {
        strSuffix += kDigits[nRandom & 31];
        nRandom = (nRandom >> 5) | (nRandom << 27);
        nRandom ^= 0x9E3779B9u * static_cast<std::uint32_t>(n + 1);
    }
    return strSuffix;
}

} // namespace

CAtomicFile::SystemCalls CAtomicFile::s_systemCalls = {&::write, &::fsync, &::renameat};

CAtomicFile::~CAtomicFile() { Discard(); }

int CAtomicFile::Fail(int nError)
{
    if (m_nError == 0)
        m_nError = nError != 0 ? nError : EIO;
    Discard();
    return m_nError;
}

void CAtomicFile::Discard()
{
    m_temp.Reset();
    if (!m_strTemp.empty()) {
        ::unlinkat(m_folder.Get(), m_strTemp.c_str(), 0);
        m_strTemp.clear();
    }
    m_target.Reset(); // its lock goes with it
    m_folder.Reset();
}

int CAtomicFile::Open(const std::string& strPath)
{
    Discard();
    m_nError = 0;
    if (strPath.empty())
        return ENOENT;
    if (strPath.back() == '/') {
        // Only a folder can be named so; a plain open says what is wrong.
        const int hFile = ::open(strPath.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (hFile >= 0)
            ::close(hFile);
        return hFile >= 0 ? EISDIR : errno;
    }
    std::string strTarget;
    if (const int nError = FollowLinks(strPath, strTarget); nError != 0)
        return nError;
    // The folder as a plain open would reach it; from here on only its handle.
    const std::string strFolder = FolderOf(strTarget);
    CUniqueFd folder(::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder one may write in but not list is still a place for the file.
    if (!folder.IsOpen() && errno == EACCES)
        folder.Reset(::open(strFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen())
        return errno;
    m_folder = std::move(folder);
    m_strName = NameOf(strTarget);
    const int nError = OpenTarget();
    if (nError != 0)
        Discard();
    return nError;
}

int CAtomicFile::OpenInFolder(int hFolder, const std::string& strName)
{
    Discard();
    m_nError = 0;
    if (strName.empty() || strName == "." || strName == ".." || strName.find('/') != std::string::npos)
        return EINVAL;
    CUniqueFd folder(::fcntl(hFolder, F_DUPFD_CLOEXEC, 0));
    if (!folder.IsOpen())
        return errno;
    m_folder = std::move(folder);
    m_strName = strName;
    const int nError = OpenTarget();
    if (nError != 0)
        Discard();
    return nError;
}

int CAtomicFile::OpenTarget()
{
    m_bReplacing = false;
    m_nTargetDevice = 0;
    m_nTargetInode = 0;
    // The existing target, opened as a plain open for writing would open it
    // (nothing is truncated), so the same files are refused. Non-blocking
    // only for the open itself: a pipe without a reader fails at once. The
    // name is never followed as a link here: links were followed already
    // (Open), or are refused (OpenInFolder); one put in place meanwhile
    // fails with ELOOP.
    CUniqueFd target(
        ::openat(m_folder.Get(), m_strName.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW));
    if (!target.IsOpen() && errno != ENOENT)
        return errno;
    if (target.IsOpen()) {
        // Exclusive: nobody else who locks the file writes it meanwhile.
        if (::flock(target.Get(), LOCK_EX | LOCK_NB) != 0)
            return errno;
        struct stat info {};
        if (::fstat(target.Get(), &info) != 0)
            return errno;
        m_nTargetDevice = static_cast<std::uint64_t>(info.st_dev);
        m_nTargetInode = static_cast<std::uint64_t>(info.st_ino);
        if (!S_ISREG(info.st_mode)) {
            const int nFlags = ::fcntl(target.Get(), F_GETFL);
            if (nFlags >= 0)
                ::fcntl(target.Get(), F_SETFL, nFlags & ~O_NONBLOCK);
            m_target = std::move(target);
            return 0;
        }
        m_bReplacing = true;
        m_nMode = info.st_mode & 07777;
        m_nOwner = info.st_uid;
        m_nGroup = info.st_gid;
    }

    // A new file gets the permissions a plain create gives (0666 less the
    // umask); a replacement gets the old file's at Commit and is private
    // until then.
    const std::string strStem = "." + m_strName.substr(0, kMaxNameInTemp) + ".tmp-";
    for (int nAttempt = 0; nAttempt < kTempAttempts; ++nAttempt) {
        std::string strTemp = strStem + RandomSuffix();
        const int hTemp = ::openat(m_folder.Get(), strTemp.c_str(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                                   m_bReplacing ? 0600 : 0666);
        if (hTemp >= 0) {
            m_temp.Reset(hTemp);
            m_strTemp = std::move(strTemp);
            m_target = std::move(target);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int CAtomicFile::Write(std::string_view strBytes)
{
    if (m_nError != 0)
        return m_nError;
    const int hFile = m_temp.IsOpen() ? m_temp.Get() : m_target.Get();
    if (hFile < 0)
        return m_nError = EBADF;
    while (!strBytes.empty()) {
        const ssize_t nWritten = s_systemCalls.m_pfnWrite(hFile, strBytes.data(), strBytes.size());
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (nWritten == 0)
            return Fail(EIO);
        strBytes.remove_prefix(static_cast<std::size_t>(nWritten));
    }
    return 0;
}

int CAtomicFile::Commit()
{
    if (m_nError != 0)
        return m_nError;
    if (!IsOpen())
        return m_nError = EBADF;

    if (!m_temp.IsOpen()) {
        // Written directly: only the close is left to report.
        if (::close(m_target.Release()) != 0 && errno != EINTR)
            return Fail(errno);
        m_folder.Reset();
        return 0;
    }

    if (m_bReplacing) {
        // The owner can only be given back where the system allows it (as
        // the super-user, or a group of our own); the permissions always.
        [[maybe_unused]] const int nIgnored = ::fchown(m_temp.Get(), m_nOwner, m_nGroup);
        if (::fchmod(m_temp.Get(), m_nMode) != 0)
            return Fail(errno);
    }
    if (s_systemCalls.m_pfnSync(m_temp.Get()) != 0)
        return Fail(errno);
    struct stat info {};
    if (::fstat(m_temp.Get(), &info) != 0)
        return Fail(errno);
    // Some file systems report a failed write only at the close.
    if (::close(m_temp.Release()) != 0 && errno != EINTR)
        return Fail(errno);
    if (s_systemCalls.m_pfnRename(m_folder.Get(), m_strTemp.c_str(), m_folder.Get(), m_strName.c_str()) != 0)
        return Fail(errno);
    m_strTemp.clear();
    m_nTargetDevice = static_cast<std::uint64_t>(info.st_dev);
    m_nTargetInode = static_cast<std::uint64_t>(info.st_ino);
    // Makes the rename itself durable; a folder that cannot be synced (some
    // network file systems) changes nothing about the outcome.
    ::fsync(m_folder.Get());
    m_target.Reset();
    m_folder.Reset();
    return 0;
}

int WriteFileAtomically(const std::string& strPath, std::string_view strBytes)
{
    CAtomicFile file;
    if (const int nError = file.Open(strPath); nError != 0)
        return nError;
    if (const int nError = file.Write(strBytes); nError != 0)
        return nError;
    return file.Commit();
}

int CheckAtomicFileTarget(const std::string& strPath)
{
    if (strPath.empty())
        return ENOENT;
    std::string strTarget;
    if (const int nError = FollowLinks(strPath, strTarget); nError != 0)
        return nError;
    struct stat info {};
    if (::stat(strTarget.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return EISDIR;
        if (::faccessat(AT_FDCWD, strTarget.c_str(), W_OK, AT_EACCESS) != 0)
            return errno;
        if (!S_ISREG(info.st_mode))
            return 0; // written directly
    } else if (errno != ENOENT) {
        return errno;
    } else if (strPath.back() == '/') {
        return ENOENT;
    }
    // The temporary file is made beside the target.
    const std::string strFolder = FolderOf(strTarget);
    if (::stat(strFolder.c_str(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    return ::faccessat(AT_FDCWD, strFolder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}
