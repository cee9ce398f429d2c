#pragma once

#include <optional>
#include <string>
#include <string_view>

// Changing the address a favourite file points to, on bytes already read:
// the one value the readers of ShortcutText.h take as the URL is replaced,
// and every other byte of the file stays as it was (comments, other
// sections and keys, blanks around the value, CR LF or LF line ends, a byte
// order mark, UTF-16 text). These never touch a file.

enum class ShortcutFormat {
    InternetShortcut, // a .url file: INI text
    DesktopLink,      // a .desktop file of Type=Link
};

// The format of a favourite file by its name's extension (in any letter
// case); nullopt for any other file.
std::optional<ShortcutFormat> ShortcutFormatOf(std::string_view strPath);

// The URL the file holds, read as the Favorites scan reads it; nullopt when
// it holds none (no URL, or a .desktop file that is no link).
std::optional<std::string> ShortcutUrlOf(std::string_view strFileBytes, ShortcutFormat format);

// The file's bytes with its URL replaced by strNewUrl (UTF-8).
// - Internet Shortcut: the first URL of [InternetShortcut], as it is written
//   there (the code units of the file), and the first URL of
//   [InternetShortcut.W] when there is one, encoded in UTF-7 as Windows
//   writes that section.
// - Desktop link: the first URL of the [Desktop Entry] group, with the
//   escapes of a desktop entry string.
// Nullopt, and nothing to write, when the file has no URL where the reader
// looks for one, when the new URL is empty, not valid UTF-8 or holds a
// control character (no line of an INI file can carry one), or when the
// file, read back, would not give exactly the new URL.
std::optional<std::string> RewriteShortcutUrl(std::string_view strFileBytes, ShortcutFormat format,
                                              std::string_view strNewUrl);
