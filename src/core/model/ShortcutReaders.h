#pragma once

#include <optional>
#include <string>

// Readers of the files in the Favorites folder. Each reads at most the first
// 64 KiB of a regular file (never blocking on a pipe or a device) and gives
// an empty result, without any message, when the file cannot be read.

inline constexpr size_t kShortcutReadLimit = 64 * 1024;

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

// The Linux path of a Windows drive path inside a Wine prefix, when that
// file or folder exists; empty otherwise.
std::string ResolveWindowsPath(const std::string& strWindowsPath, const std::string& strWinePrefix);
