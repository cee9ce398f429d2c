#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/FavoriteItem.h"

// The file operations on a favourite: renaming it in place, deleting it
// for good and pointing it at a new address, with the checks that go
// before them. Each returns 0 on success
// or an errno value, and touches no file but the favourite's own (and, for
// a channel, the desktop.ini inside its folder).
//
// The forms that take a record go down from the Favorites folder the scan
// read, one folder handle at a time and never through a symbolic link, and
// act only when the file found is the one the scan read (its device and
// inode): a folder on the way swapped for a link, or another file put in
// the favourite's place, is kFavoriteChangedError and nothing is touched.
// Whatever is created, renamed or removed is so inside the handle of the
// favourite's own folder. The forms that take a path do the same from the
// folder the path names.
//
// A file the user has made read-only (no write permission for its owner)
// and anything in a folder made read-only that way keep their names, their
// contents and stay where they are: the operation fails with EACCES before
// anything is changed, whichever user the program runs as.

// The first byte of a new name that a favourite's name cannot hold: a
// control character, '"', '<', '>', '|' or '/'. Nullopt when there is none.
std::optional<char> FindInvalidNameChar(std::string_view strName);

// The extension of a path's last element: from its last "." on, provided no
// space follows that dot. Empty when there is none.
std::string_view PathExtension(std::string_view strPath);

// The path a favourite gets when it is renamed: its folder, the new name,
// and the old file's extension unless the new name already ends in it (in
// any letter case). "Example 2.0" for "Example.url" gives "Example 2.0.url".
std::string RenamedFavoritePath(std::string_view strOldPath, std::string_view strNewName);

// Renames a favourite's file or folder. Never replaces anything: when the
// new path exists the result is EEXIST and both stay as they were.
// The new path must be in the same folder (else EXDEV).
int RenameFavoriteFile(const std::string& strOldPath, const std::string& strNewPath);
int RenameFavoriteFile(const FavoriteItem& item, const std::string& strNewPath);

// Delete Favorite: a file (or a symbolic link, never what it points to) is
// deleted. A folder is a channel: when it holds nothing but its desktop.ini
// (any letter case), that file and then the folder are deleted; when it
// holds anything else nothing is deleted and the result is ENOTEMPTY.
int DeleteFavorite(const std::string& strPath);
int DeleteFavorite(const FavoriteItem& item);

// Delete All Broken: a plain file deletion. A folder is not deleted (EISDIR).
int DeleteFavoriteFile(const std::string& strPath);
int DeleteFavoriteFile(const FavoriteItem& item);

// The same two, into the desktop's Trash (core/platform/Trash.h) rather
// than for good, after the same checks: a channel folder goes whole. Where
// the favourite's file system has no Trash the result is kNoTrashError and
// nothing is changed; the caller may then ask before deleting for good.
int TrashFavorite(const std::string& strPath);
int TrashFavorite(const FavoriteItem& item);
int TrashFavoriteFile(const FavoriteItem& item);

// Results of RewriteFavoriteUrl that are no errno value.
// The file was changed since the check: it no longer holds the URL it was
// checked with, or it (or a folder on its way) is no longer the one the
// scan read. It is left alone.
inline constexpr int kFavoriteChangedError = -1;
// The file holds its URL where no line can be rewritten in place.
inline constexpr int kFavoriteNotRewritableError = -2;
// With the new address the file would be larger than a favourite is read
// (kShortcutReadLimit), so the scan would read the address back cut short.
inline constexpr int kFavoriteAddressTooLongError = -3;

// Points an Internet Shortcut (.url) or a desktop link (.desktop) at a new
// address: when the file still holds strOldUrl, its URL becomes strNewUrl
// and every other byte stays as it was (see ShortcutRewrite.h). The file is
// replaced atomically through the one file writer, with its permissions,
// so a failure at any point (a full disk) leaves the old file whole. A file
// that is not a regular file or is larger than a favourite is read
// (kShortcutReadLimit) is not rewritten either (kFavoriteChangedError,
// EFBIG).
// A new address that would make the file larger than that is refused
// (kFavoriteAddressTooLongError).
int RewriteFavoriteUrl(const std::string& strPath, std::string_view strOldUrl, std::string_view strNewUrl);
// The record's file, from its URL to strNewUrl. The record's URL stays as
// it is (the caller sets it); what it knows of its file follows the new
// file, so later commands on it still find it. GUI thread, no check running.
int RewriteFavoriteUrl(FavoriteItem& item, std::string_view strNewUrl);

// Lets a test act between the read of a favourite and its rewrite (swap a
// folder or the file for a link, say). Null in the program.
struct CFavoriteFileSeam {
    static inline void (*s_pfnBeforeWrite)(const std::string& strPath) = nullptr;
};

// The system's text for a failure of the operations above, every "%1" in
// it replaced by the favourite's path.
std::string FavoriteFileErrorText(int nError, const std::string& strPath);

// What the properties of a favourite's file show.
struct FavoriteFileInfo {
    bool m_bFolder = false;
    bool m_bSymlink = false;
    std::uint64_t m_nSize = 0;     // bytes; for a folder the size of its entry
    std::time_t m_tModified = 0;   // seconds since the epoch
    std::string m_strPermissions;  // as ls shows them: "-rw-r--r--", "drwxr-xr-x"
};

// The properties of the file itself (a symbolic link is not followed);
// nullopt when it cannot be read.
std::optional<FavoriteFileInfo> ReadFavoriteFileInfo(const std::string& strPath);

// The type name the desktop gives a kind of favourite ("Internet Shortcut",
// "Channel Shortcut", ...).
std::string_view FavoriteKindTypeName(int nKind);
