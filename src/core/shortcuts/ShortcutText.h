#pragma once

#include <optional>
#include <string>
#include <string_view>

// The contents of favourite files as text: the Internet Shortcut (.url), the
// desktop.ini of a channel folder and the link file of a Linux desktop
// (.desktop). These work on bytes already read and never touch a file, so
// they can be fed anything.

// The text of a file with its byte order mark handled: UTF-16 (either byte
// order, with its mark) becomes UTF-8, a UTF-8 mark is dropped, anything else
// is returned as it is.
std::string DecodeShortcutFileText(std::string_view strBytes);

// The value of `strKey` in section `[strSection]` of INI text as Windows
// reads it: section and key names without regard to case, blanks around
// names and values ignored, CR LF, LF or CR line ends, ";" starting a comment
// line, the first match winning. `bSectionFound` tells whether the section
// exists at all.
struct IniLookup {
    bool m_bSectionFound = false;
    std::optional<std::string_view> m_value;
};
IniLookup FindIniValue(std::string_view strText, std::string_view strSection, std::string_view strKey);

// The URL of an Internet Shortcut, as UTF-8: the UTF-7 value of
// [InternetShortcut.W] when there is one and it decodes, else the URL of
// [InternetShortcut] (UTF-8, or Windows-1252 when not valid UTF-8). Empty
// when there is none.
std::string ParseInternetShortcut(std::string_view strFileBytes);

// The channel's target (the CDFURL value of [Channel]) of a desktop.ini;
// nullopt when the file has no [Channel] section, empty when the section
// has no CDFURL.
std::optional<std::string> ParseChannelTarget(std::string_view strFileBytes);

// What a key of a desktop entry is to a link: its URL ("URL", also with
// flags such as KDE's "URL[$e]"), a localised URL ("URL[de]", "URL[pt_BR]"),
// or nothing of the sort.
enum class DesktopUrlKey { None, Plain, Localized };
DesktopUrlKey ClassifyDesktopUrlKey(std::string_view strKey);

// The URL of a desktop link file: the URL key of its [Desktop Entry] group
// when that group has Type=Link; nullopt for any other file. The first
// "URL" (or "URL[$e]", as KDE writes it) wins; without one, the first
// localised "URL[xx]". Group and key names are case-sensitive, "#" starts a
// comment, lines end at LF, CR LF or CR, string escapes (\s \n \t \r
// \\) are decoded.
std::optional<std::string> ParseDesktopLink(std::string_view strFileBytes);
