#include "core/shortcuts/ShortcutReaders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <libbfio.h>
#include <liblnk.h>

#include "core/shortcuts/NameCompare.h"
#include "core/shortcuts/ShortcutText.h"

namespace {

struct DirCloser {
    void operator()(DIR* p) const { ::closedir(p); }
};

// A .lnk file begins with its header size 0x4C and the class id
// 00021401-0000-0000-C000-000000000046.
constexpr std::string_view kShellLinkSignatureBytes(
    "\x4C\x00\x00\x00\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 20);
// A local path longer than this is no path of this system.
constexpr size_t kMaxLocalPath = 32 * 1024;

std::string RealPath(const std::string& strPath)
{
    std::unique_ptr<char, decltype(&std::free)> pResolved(::realpath(strPath.c_str(), nullptr), &std::free);
    return pResolved ? std::string(pResolved.get()) : std::string();
}

bool Exists(const std::string& strPath)
{
    struct stat st {};
    return ::stat(strPath.c_str(), &st) == 0;
}

// The name in folder `strDir` that equals `strName` without regard to case,
// the exact name first; empty when there is none.
std::string FindNameNoCase(const std::string& strDir, const std::string& strName)
{
    struct stat st {};
    if (::lstat((strDir + "/" + strName).c_str(), &st) == 0)
        return strName;
    std::unique_ptr<DIR, DirCloser> pDir(::opendir(strDir.c_str()));
    if (!pDir)
        return {};
    while (const dirent* pEntry = ::readdir(pDir.get()))
        if (NamesEqualNoCase(pEntry->d_name, strName))
            return pEntry->d_name;
    return {};
}

} // namespace

CShortcutFile CShortcutFile::OpenAt(int hFolder, const std::string& strName, bool bFollowLinks)
{
    CShortcutFile file;
    // Non-blocking, so that a pipe put in place of a favourite cannot hang
    // the scan; the descriptor is only ever read.
    const int nFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (bFollowLinks ? 0 : O_NOFOLLOW);
    file.m_file.Reset(::openat(hFolder, strName.c_str(), nFlags));
    if (!file.m_file.IsOpen()) {
        file.m_nError = errno;
        return file;
    }
    struct stat info {};
    if (::fstat(file.m_file.Get(), &info) != 0) {
        file.m_nError = errno;
        return file;
    }
    file.m_bRegular = S_ISREG(info.st_mode);
    file.m_nSize = info.st_size;
    file.m_nDevice = static_cast<std::uint64_t>(info.st_dev);
    file.m_nInode = static_cast<std::uint64_t>(info.st_ino);
    return file;
}

const std::string& CShortcutFile::ReadUpTo(size_t nLimit)
{
    if (!m_bRegular || m_nError != 0 || m_bEnded)
        return m_strBytes;
    while (m_strBytes.size() < nLimit) {
        const size_t nHave = m_strBytes.size();
        const size_t nWant = std::min(nLimit - nHave, size_t(64 * 1024));
        m_strBytes.resize(nHave + nWant);
        const ssize_t n = ::read(m_file.Get(), m_strBytes.data() + nHave, nWant);
        if (n <= 0) {
            m_strBytes.resize(nHave);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_nError = errno;
            m_bEnded = true;
            break;
        }
        m_strBytes.resize(nHave + static_cast<size_t>(n));
    }
    return m_strBytes;
}

std::optional<std::string> ReadShortcutFileBytes(const std::string& strPath, size_t nLimit)
{
    CShortcutFile file = CShortcutFile::OpenAt(AT_FDCWD, strPath, true);
    if (!file.IsRegular())
        return std::nullopt;
    file.ReadUpTo(nLimit);
    if (file.Error() != 0)
        return std::nullopt;
    return file.Bytes();
}

std::string ReadInternetShortcutUrl(const std::string& strPath)
{
    const auto bytes = ReadShortcutFileBytes(strPath);
    return bytes ? ParseInternetShortcut(*bytes) : std::string();
}

std::optional<std::string> ReadChannelTarget(const std::string& strDesktopIniPath)
{
    const auto bytes = ReadShortcutFileBytes(strDesktopIniPath);
    return bytes ? ParseChannelTarget(*bytes) : std::nullopt;
}

std::optional<std::string> ReadDesktopLinkUrl(const std::string& strPath)
{
    const auto bytes = ReadShortcutFileBytes(strPath);
    return bytes ? ParseDesktopLink(*bytes) : std::nullopt;
}

std::string ResolveWindowsPath(const std::string& strWindowsPath, const std::string& strWinePrefix)
{
    const std::string_view path = strWindowsPath;
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (strWinePrefix.empty() || path.size() < 2 || !isLetter(path[0]) || path[1] != ':')
        return {};
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/')
        return {}; // drive-relative paths ("C:foo") have no fixed meaning
    const char cDrive = static_cast<char>(path[0] | 0x20);
    std::string strCurrent = strWinePrefix + "/dosdevices/" + cDrive + ":";
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
        const size_t nSep = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, nSep);
        rest = nSep == std::string_view::npos ? std::string_view() : rest.substr(nSep + 1);
        if (part.empty() || part == ".")
            continue;
        const std::string strFound =
            part == ".." ? std::string("..") : FindNameNoCase(strCurrent, std::string(part));
        if (strFound.empty())
            return {};
        strCurrent += "/" + strFound;
    }
    return Exists(strCurrent) ? RealPath(strCurrent) : std::string();
}

namespace {

// Bytes in memory as a libbfio handle, for liblnk to read the shell link
// from. libbfio's own memory range handle is not used: the version Debian
// ships copies as many bytes as were asked for, not as many as are left, so
// a link that claims a larger structure than the file holds made it read
// past the end of the bytes. This one never does.
struct MemoryIo {
    const uint8_t* m_pBytes = nullptr;
    size64_t m_nSize = 0;
    size64_t m_nOffset = 0;
    bool m_bOpen = false;

    static MemoryIo& Of(intptr_t* pIo) { return *reinterpret_cast<MemoryIo*>(pIo); }

    static int Free(intptr_t**, libbfio_error_t**) { return 1; }
    static int Clone(intptr_t**, intptr_t*, libbfio_error_t**) { return -1; }
    static int Open(intptr_t* pIo, int, libbfio_error_t**)
    {
        Of(pIo).m_bOpen = true;
        Of(pIo).m_nOffset = 0;
        return 1;
    }
    static int Close(intptr_t* pIo, libbfio_error_t**)
    {
        Of(pIo).m_bOpen = false;
        return 0;
    }
    static ssize_t Read(intptr_t* pIo, uint8_t* pBuffer, size_t nSize, libbfio_error_t**)
    {
        MemoryIo& io = Of(pIo);
        if (!io.m_bOpen || pBuffer == nullptr)
            return -1;
        if (io.m_nOffset >= io.m_nSize)
            return 0;
        const size_t nRead = static_cast<size_t>(std::min<size64_t>(nSize, io.m_nSize - io.m_nOffset));
        std::memcpy(pBuffer, io.m_pBytes + io.m_nOffset, nRead);
        io.m_nOffset += nRead;
        return static_cast<ssize_t>(nRead);
    }
    static ssize_t Write(intptr_t*, const uint8_t*, size_t, libbfio_error_t**) { return -1; }
    static off64_t Seek(intptr_t* pIo, off64_t nOffset, int nWhence, libbfio_error_t**)
    {
        MemoryIo& io = Of(pIo);
        off64_t nBase = 0;
        if (nWhence == SEEK_CUR)
            nBase = static_cast<off64_t>(io.m_nOffset);
        else if (nWhence == SEEK_END)
            nBase = static_cast<off64_t>(io.m_nSize);
        else if (nWhence != SEEK_SET)
            return -1;
        if (nOffset < -nBase || nOffset > INT64_MAX - nBase)
            return -1;
        io.m_nOffset = static_cast<size64_t>(nBase + nOffset);
        return static_cast<off64_t>(io.m_nOffset);
    }
    static int Exists(intptr_t*, libbfio_error_t**) { return 1; }
    static int IsOpen(intptr_t* pIo, libbfio_error_t**) { return Of(pIo).m_bOpen ? 1 : 0; }
    static int GetSize(intptr_t* pIo, size64_t* pSize, libbfio_error_t**)
    {
        *pSize = Of(pIo).m_nSize;
        return 1;
    }
};

} // namespace

std::string LocalPathOfShellLink(std::string_view strBytes)
{
    // liblnk reads through a libbfio handle over the bytes we already hold,
    // never the file again by its path.
    MemoryIo io{reinterpret_cast<const uint8_t*>(strBytes.data()), strBytes.size(), 0, false};
    libbfio_handle_t* pRawHandle = nullptr;
    if (libbfio_handle_initialize(&pRawHandle, reinterpret_cast<intptr_t*>(&io), &MemoryIo::Free, &MemoryIo::Clone,
                                  &MemoryIo::Open, &MemoryIo::Close, &MemoryIo::Read, &MemoryIo::Write,
                                  &MemoryIo::Seek, &MemoryIo::Exists, &MemoryIo::IsOpen, &MemoryIo::GetSize,
                                  LIBBFIO_FLAG_IO_HANDLE_NON_MANAGED, nullptr) != 1)
        return {};
    const auto freeHandle = [](libbfio_handle_t* p) { libbfio_handle_free(&p, nullptr); };
    std::unique_ptr<libbfio_handle_t, decltype(freeHandle)> pHandle(pRawHandle, freeHandle);

    liblnk_file_t* pRaw = nullptr;
    if (liblnk_file_initialize(&pRaw, nullptr) != 1)
        return {};
    const auto freeFile = [](liblnk_file_t* p) { liblnk_file_free(&p, nullptr); };
    std::unique_ptr<liblnk_file_t, decltype(freeFile)> pFile(pRaw, freeFile);
    std::string strLocal;
    liblnk_error_t* pError = nullptr;
    if (liblnk_file_open_file_io_handle(pFile.get(), pHandle.get(), LIBLNK_OPEN_READ, &pError) == 1) {
        size_t nSize = 0;
        if (liblnk_file_get_utf8_local_path_size(pFile.get(), &nSize, &pError) == 1 && nSize > 1 &&
            nSize <= kMaxLocalPath) {
            std::vector<uint8_t> buffer(nSize);
            if (liblnk_file_get_utf8_local_path(pFile.get(), buffer.data(), buffer.size(), &pError) == 1)
                strLocal.assign(reinterpret_cast<const char*>(buffer.data()));
        }
        liblnk_file_close(pFile.get(), nullptr);
    }
    liblnk_error_free(&pError);
    return strLocal;
}

std::string ShellLinkTargetOf(CShortcutFile& file, const std::string& strWinePrefix)
{
    // Only a file that looks like a shell link is read whole and handed to
    // liblnk; a text file is refused after its first bytes.
    if (!file.IsRegular() || static_cast<size_t>(file.Size()) > kShellLinkMaxSize)
        return {};
    if (!file.ReadUpTo(kShellLinkSignatureBytes.size()).starts_with(kShellLinkSignatureBytes))
        return {};
    const std::string& strBytes = file.ReadUpTo(kShellLinkMaxSize);
    if (file.Error() != 0)
        return {};
    const std::string strLocal = LocalPathOfShellLink(strBytes);
    if (strLocal.empty())
        return {};
    if (strLocal.front() == '/')
        return Exists(strLocal) ? RealPath(strLocal) : std::string();
    return ResolveWindowsPath(strLocal, strWinePrefix);
}

std::string ReadShellLinkTarget(const std::string& strPath, const std::string& strWinePrefix)
{
    struct stat st {};
    if (::lstat(strPath.c_str(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return RealPath(strPath); // empty for a dangling link or a loop
    if (!S_ISREG(st.st_mode))
        return {};
    CShortcutFile file = CShortcutFile::OpenAt(AT_FDCWD, strPath, false);
    return ShellLinkTargetOf(file, strWinePrefix);
}
