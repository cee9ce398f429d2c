#pragma once

// Helpers of the Favorites scan tests: a temporary folder that removes
// itself, files written into it, and shell link files made by our own code.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <system_error>

namespace scantest {

// A fresh folder below the system's temporary folder, removed with all it
// holds when the object goes out of scope.
class TempFolder {
public:
    TempFolder()
    {
        std::string strTemplate = (std::filesystem::temp_directory_path() / "zorbel-scan-XXXXXX").string();
        if (::mkdtemp(strTemplate.data()) == nullptr)
            std::abort();
        m_strPath = strTemplate;
    }
    ~TempFolder()
    {
        // Give back every permission first, so that nothing stays behind.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 m_strPath, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink())
                ::chmod(it->path().c_str(), 0700);
        ::chmod(m_strPath.c_str(), 0700);
        std::filesystem::remove_all(m_strPath, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(std::string_view strRelative) const { return m_strPath + "/" + std::string(strRelative); }

private:
    std::string m_strPath;
};

// Folders nested `nLevels` deep below strRoot, all named strName, made from
// folder handle to folder handle with one handle open at a time; `onLevel`
// (when given) is called with each new folder's handle and its depth.
// False when the file system refuses.
template <typename OnLevel>
bool MakeFolderChain(const std::string& strRoot, int nLevels, const std::string& strName, OnLevel onLevel)
{
    int hFolder = ::open(strRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 1; hFolder >= 0 && i <= nLevels; ++i) {
        const int hChild = ::mkdirat(hFolder, strName.c_str(), 0700) == 0
                               ? ::openat(hFolder, strName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : -1;
        ::close(hFolder);
        hFolder = hChild;
        if (hFolder >= 0)
            onLevel(hFolder, i);
    }
    if (hFolder < 0)
        return false;
    ::close(hFolder);
    return true;
}

// Empties a folder however deep what it holds nests, with a few handles
// open at a time: each subfolder's entries are moved up into it before the
// subfolder goes, so no entry is walked to twice. (A recursive removal
// holds one handle a level and runs out of them in a deep chain.)
inline void EmptyDeepFolder(const std::string& strRoot)
{
    const int hRoot = ::open(strRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (hRoot < 0)
        return;
    const auto list = [](int hFolder) {
        std::vector<std::pair<std::string, bool>> entries;
        if (DIR* pDir = ::fdopendir(::fcntl(hFolder, F_DUPFD_CLOEXEC, 0))) {
            ::rewinddir(pDir);
            while (const dirent* pEntry = ::readdir(pDir))
                if (std::string_view(pEntry->d_name) != "." && std::string_view(pEntry->d_name) != "..")
                    entries.emplace_back(pEntry->d_name, pEntry->d_type == DT_DIR);
            ::closedir(pDir);
        }
        return entries;
    };
    unsigned nMoved = 0;
    // Each pass takes out at least one entry, or the rest cannot go.
    for (bool bProgress = true; bProgress;) {
        bProgress = false;
        for (const auto& [strName, bFolder] : list(hRoot)) {
            if (::unlinkat(hRoot, strName.c_str(), bFolder ? AT_REMOVEDIR : 0) == 0) {
                bProgress = true;
                continue;
            }
            if (!bFolder)
                continue;
            ::fchmodat(hRoot, strName.c_str(), 0700, 0);
            const int hSub = ::openat(hRoot, strName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (hSub < 0)
                continue;
            for (const auto& entry : list(hSub))
                ::renameat(hSub, entry.first.c_str(), hRoot, ("moved-up-" + std::to_string(++nMoved)).c_str());
            ::close(hSub);
            bProgress = ::unlinkat(hRoot, strName.c_str(), AT_REMOVEDIR) == 0 || bProgress;
        }
    }
    ::close(hRoot);
}

inline void WriteFile(const std::string& strPath, std::string_view strBytes)
{
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
}

inline void MakeFolder(const std::string& strPath) { std::filesystem::create_directories(strPath); }

inline std::string UrlFile(std::string_view strUrl)
{
    return "[DEFAULT]\r\nBASEURL=" + std::string(strUrl) + "\r\n[InternetShortcut]\r\nURL=" +
           std::string(strUrl) + "\r\n";
}

// A minimal Shell Link file (header, LinkInfo with a volume id and a local
// base path, no extra data) pointing at `strLocalPath`, as Windows writes one
// for a file on a fixed drive.
inline std::string ShellLinkBytes(std::string_view strLocalPath)
{
    std::string out;
    const auto u16 = [&](std::uint16_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    };
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    // Header: size, class id, flags (HasLinkInfo), attributes (archive),
    // three times, file size, icon index, show command, hot key, reserved.
    u32(0x4C);
    out += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    u32(0x02);
    u32(0x20);
    for (int i = 0; i < 6; ++i)
        u32(0);
    u32(0);
    u32(0);
    u32(1);
    u16(0);
    u16(0);
    u32(0);
    u32(0);
    // LinkInfo.
    constexpr std::uint32_t kHeaderSize = 0x1C;
    constexpr std::uint32_t kVolumeIdSize = 0x11;
    const auto nLocalOffset = kHeaderSize + kVolumeIdSize;
    const auto nSuffixOffset = nLocalOffset + static_cast<std::uint32_t>(strLocalPath.size()) + 1;
    const auto nLinkInfoSize = nSuffixOffset + 1;
    u32(nLinkInfoSize);
    u32(kHeaderSize);
    u32(1); // VolumeIDAndLocalBasePath
    u32(kHeaderSize);
    u32(nLocalOffset);
    u32(0);
    u32(nSuffixOffset);
    u32(kVolumeIdSize);
    u32(3); // fixed drive
    u32(0x1234ABCD);
    u32(0x10);
    out += '\0'; // empty volume label
    out += strLocalPath;
    out += '\0';
    out += '\0'; // empty common path suffix
    u32(0);      // terminal block
    return out;
}

} // namespace scantest
