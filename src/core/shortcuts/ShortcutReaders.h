#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/UniqueFd.h"

// Readers of the files in the Favorites folder. Each file is opened once,
// without blocking (a pipe put in place of a favourite cannot hang the
// scan), checked to be a regular file and read from that one descriptor;
// nothing is opened again by its path. A reader gives an empty result,
// without any message, when the file cannot be read.

inline constexpr size_t kShortcutReadLimit = 64 * 1024;
// liblnk reads the whole structure; a real shell link is a few KiB.
inline constexpr size_t kShellLinkMaxSize = 1024 * 1024;

// One file of a folder, opened once for reading.
class CShortcutFile {
public:
    // Opens `strName` in the folder `hFolder` (AT_FDCWD: a path of its own),
    // never blocking; a symbolic link is followed only when asked.
    static CShortcutFile OpenAt(int hFolder, const std::string& strName, bool bFollowLinks);

    // 0, or the errno of the first failure to open, look at or read it.
    int Error() const { return m_nError; }
    // True when it was opened and is a regular file.
    bool IsRegular() const { return m_bRegular; }
    off_t Size() const { return m_nSize; }
    // The opened file's device and inode (0 when it could not be opened).
    std::uint64_t Device() const { return m_nDevice; }
    std::uint64_t Inode() const { return m_nInode; }

    // Reads on from where the last read stopped, until `nLimit` bytes are
    // read in all or the file ends; the bytes read so far. Nothing is read
    // from a file that is not regular or has failed.
    const std::string& ReadUpTo(size_t nLimit);
    const std::string& Bytes() const { return m_strBytes; }

private:
    CUniqueFd m_file;
    int m_nError = 0;
    bool m_bRegular = false;
    off_t m_nSize = 0;
    std::uint64_t m_nDevice = 0;
    std::uint64_t m_nInode = 0;
    bool m_bEnded = false;
    std::string m_strBytes;
};

// The first `nLimit` bytes of a regular file; nullopt when it is not one or
// cannot be read.
std::optional<std::string> ReadShortcutFileBytes(const std::string& strPath,
                                                 size_t nLimit = kShortcutReadLimit);

// The URL of an Internet Shortcut file (.url), as UTF-8; empty on failure.
std::string ReadInternetShortcutUrl(const std::string& strPath);

// The target of a channel folder: the CDFURL of the [Channel] section of the
// given desktop.ini; nullopt when the file has no [Channel] section or
// cannot be read.
std::optional<std::string> ReadChannelTarget(const std::string& strDesktopIniPath);

// The URL of a desktop link file (.desktop, Type=Link); nullopt when the file
// is no link or cannot be read.
std::optional<std::string> ReadDesktopLinkUrl(const std::string& strPath);

// The target of a shell link when it resolves on this system, else empty.
// A symbolic link gives its resolved absolute target when that exists. A
// .lnk file is read with liblnk; its local path resolves when it exists: a
// Windows drive path (C:\...) is looked up, without regard to case, through
// `strWinePrefix`/dosdevices when a Wine prefix is given.
std::string ReadShellLinkTarget(const std::string& strPath, const std::string& strWinePrefix = {});

// The same for a file already opened: read on from the same descriptor
// (only a file that begins as a shell link does is read whole) and parsed
// in memory.
std::string ShellLinkTargetOf(CShortcutFile& file, const std::string& strWinePrefix);

// The local path stored in the bytes of a .lnk file, parsed by liblnk in
// memory; empty when it holds none or is no shell link.
std::string LocalPathOfShellLink(std::string_view strBytes);

// The Linux path of a Windows drive path inside a Wine prefix, when that
// file or folder exists; empty otherwise.
std::string ResolveWindowsPath(const std::string& strWindowsPath, const std::string& strWinePrefix);
