#pragma once

#include <string>

// True when the text starts with a URL scheme: at least two characters of
// letters, digits, "+", "-" and "." followed by ":".
bool PathIsURLA(const std::string& strPath);

// True when the text is a link of the web: its scheme (as PathIsURLA reads
// it) is http, https or ftp, in any letter case. Such a link never names a
// file or folder, whatever the working directory holds.
bool PathIsWebLink(const std::string& strPath);

// True when the text names an existing directory (symbolic links followed).
bool PathIsDirectoryA(const std::string& strPath);

// The help file of an executable: its path with the extension replaced by
// ".chm", or with ".chm" appended when the file name has no extension.
std::string HelpFilePathFor(const std::string& strExecutable);

// The help file an executable uses: the one beside it (HelpFilePathFor) when
// that exists; else the installed one, strInstalledFromBinDir taken relative
// to the executable's folder (such as "../share/zorbel/zorbel.chm"), when
// that exists; else the one beside it, so that a missing help file is looked
// for where a build puts it.
std::string FindHelpFileFor(const std::string& strExecutable, const std::string& strInstalledFromBinDir);
