#include "model/ShortcutReaders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include <liblnk.h>

#include "model/FavoritesFolder.h"
#include "model/ShortcutText.h"

namespace {

struct DirCloser {
    void operator()(DIR* p) const { ::closedir(p); }
};

// A file descriptor closed when it goes out of scope.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_hFd(fd) {}
    ~UniqueFd()
    {
        if (m_hFd >= 0)
            ::close(m_hFd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return m_hFd; }

private:
    int m_hFd;
};

// A .lnk file begins with its header size 0x4C and the class id
// 00021401-0000-0000-C000-000000000046.
constexpr unsigned char kShellLinkSignature[20] = {
    0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46,
};
// liblnk reads the whole structure; a real shell link is a few KiB.
constexpr size_t kShellLinkMaxSize = 1024 * 1024;

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

// The local path stored in a .lnk file, or empty.
std::string LocalPathOfShellLink(const std::string& strPath)
{
    liblnk_file_t* pRaw = nullptr;
    liblnk_error_t* pError = nullptr;
    if (liblnk_file_initialize(&pRaw, &pError) != 1) {
        liblnk_error_free(&pError);
        return {};
    }
    const auto freeFile = [](liblnk_file_t* p) {
        liblnk_file_free(&p, nullptr);
    };
    std::unique_ptr<liblnk_file_t, decltype(freeFile)> pFile(pRaw, freeFile);
    std::string strLocal;
    if (liblnk_file_open(pFile.get(), strPath.c_str(), LIBLNK_OPEN_READ, &pError) == 1) {
        size_t nSize = 0;
        if (liblnk_file_get_utf8_local_path_size(pFile.get(), &nSize, &pError) == 1 && nSize > 1 &&
            nSize <= 32 * 1024) {
            std::vector<uint8_t> buffer(nSize);
            if (liblnk_file_get_utf8_local_path(pFile.get(), buffer.data(), buffer.size(), &pError) == 1)
                strLocal.assign(reinterpret_cast<const char*>(buffer.data()));
        }
        liblnk_file_close(pFile.get(), nullptr);
    }
    liblnk_error_free(&pError);
    return strLocal;
}

} // namespace

std::optional<std::string> ReadShortcutFileBytes(const std::string& strPath, size_t nLimit)
{
    // Non-blocking, so that a pipe put in place of a favourite cannot hang the scan.
    UniqueFd fd(::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string strBytes(std::min<size_t>(nLimit, static_cast<size_t>(st.st_size)), '\0');
    size_t nRead = 0;
    while (nRead < strBytes.size()) {
        const ssize_t n = ::read(fd.get(), strBytes.data() + nRead, strBytes.size() - nRead);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break; // the file shrank while it was read
        nRead += static_cast<size_t>(n);
    }
    strBytes.resize(nRead);
    return strBytes;
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

std::string ReadShellLinkTarget(const std::string& strPath, const std::string& strWinePrefix)
{
    struct stat st {};
    if (::lstat(strPath.c_str(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return RealPath(strPath); // empty for a dangling link or a loop
    if (!S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > kShellLinkMaxSize)
        return {};
    // Only hand liblnk files that look like shell links; a text file is
    // refused here without a parse.
    const auto header = ReadShortcutFileBytes(strPath, sizeof kShellLinkSignature);
    if (!header || header->size() != sizeof kShellLinkSignature ||
        std::string_view(*header) !=
            std::string_view(reinterpret_cast<const char*>(kShellLinkSignature), sizeof kShellLinkSignature))
        return {};
    const std::string strLocal = LocalPathOfShellLink(strPath);
    if (strLocal.empty())
        return {};
    if (strLocal.front() == '/')
        return Exists(strLocal) ? RealPath(strLocal) : std::string();
    return ResolveWindowsPath(strLocal, strWinePrefix);
}
