#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/UniqueFd.h"
#include "core/shortcuts/NameCompare.h"

// The Favorites folder on disk: where it is, and what the shell would list
// of one of its folders.

// Where the Favorites folder may be, in the order it is looked for.
struct FavoritesEnvironment {
    std::string m_strFavorites;  // $ZORBEL_FAVORITES
    std::string m_strHome;       // the home folder
    std::string m_strWinePrefix; // $WINEPREFIX
    std::string m_strLogin;      // the login name
};

// The environment of this process ($HOME and the login name taken from the
// password database when the variables are not set).
FavoritesEnvironment CurrentFavoritesEnvironment();

// Where the Favorites folder was found, or why it was not.
struct FavoritesLocation {
    std::string m_strFolder; // absolute; empty when there is none to scan
    // $ZORBEL_FAVORITES was set: that folder is used or refused, never
    // replaced by another one.
    bool m_bNamed = false;
    int m_nError = 0; // why the named folder is refused (ENOENT, ENOTDIR ...)
};

// The folder $ZORBEL_FAVORITES names when it is set (that folder and no
// other: when it is missing or no folder, none); otherwise the first
// existing folder of ~/Favorites and the Wine prefix's
// drive_c/users/<login>/Favorites ($WINEPREFIX, else ~/.wine). As an
// absolute path (a relative one is taken from the working directory,
// without "." parts or a trailing slash).
FavoritesLocation FindFavoritesFolder(const FavoritesEnvironment& env);

// The folder FindFavoritesFolder finds; empty when there is none.
std::string LocateFavoritesFolder(const FavoritesEnvironment& env);
std::string LocateFavoritesFolder();

// The Wine prefix that holds the folder: its nearest ancestor with a
// "dosdevices" folder; empty when it lies in none.
std::string FindWinePrefix(const std::string& strFolder);


// What a directory entry is on disk (a symbolic link is never followed).
enum class EntryNodeType { Directory, Regular, Symlink, Other };

struct FolderEntry {
    std::string m_strName; // the real name, bytes as on disk
    EntryNodeType m_nType = EntryNodeType::Other;
};

struct FolderListing {
    std::vector<FolderEntry> m_entries; // visible entries, in name order
    std::string m_strDesktopIni;        // the real name of its desktop.ini, or empty
};

// True for entries the shell hides: names beginning with "." and files (not
// folders) named desktop.ini in any letter case.
bool IsHiddenEntryName(std::string_view strName, bool bFolder);

// Opens a folder for the walk, read-only and without blocking: `strName` in
// the open folder `hParent` (AT_FDCWD: a path of its own). A symbolic link
// is followed only when asked (the Favorites folder itself may be one; a
// folder inside it never is walked through one). Returns 0, or the errno of
// the failure (ELOOP or ENOTDIR for a link that is not followed).
int OpenFavoritesFolderAt(int hParent, const std::string& strName, bool bFollowLinks, CUniqueFd& folder);

// The visible entries of an open folder in order, read through a
// descriptor of its own (the one given stays open and unread). nullopt,
// with the errno in nError, when it cannot be read.
std::optional<FolderListing> ListFavoritesFolderAt(int hFolder, int& nError);

// The name shown for an entry, as UTF-8 (invalid bytes shown as U+FFFD):
// the name without its extension for .url, .lnk and .desktop files, the
// whole name otherwise and always for folders.
std::string DisplayNameOf(std::string_view strName, bool bFolder);

