#pragma once

#include <ctime>
#include <string>
#include <string_view>

// Moving a file or folder to the desktop's Trash, the way the freedesktop.org
// Trash layout has it, so that any file manager can list and
// restore it:
//   - an entry on the file system of the user's data folder goes to the home
//     Trash, $XDG_DATA_HOME/Trash (~/.local/share/Trash when the variable is
//     unset, empty or not absolute); the data folder, the Trash and its
//     files/ and info/ are made (mode 0700) when missing;
//   - an entry on another file system goes to that file system's Trash:
//     $topdir/.Trash/$uid when $topdir/.Trash is a real folder (not a
//     symbolic link) with the sticky bit set, otherwise $topdir/.Trash-$uid,
//     made when missing;
//   - info/NAME.trashinfo is made first, with O_EXCL, so that two programs
//     never take the same name; it holds the entry's absolute path
//     (percent-encoded) and the local time of the deletion
//     (YYYY-MM-DDThh:mm:ss). NAME is the entry's own name, or "NAME.2",
//     "NAME.3" ... when taken;
//   - then the entry is renamed into files/NAME. A rename never crosses file
//     systems and never replaces anything; when it fails the info file goes
//     again and the entry stays where it was.

// Result of MoveToTrash when no Trash can be had for the entry's file system
// (no home Trash there, and no top-level Trash folder can be used or made).
inline constexpr int kNoTrashError = -100;

// Where an entry went.
struct TrashedEntry {
    std::string m_strTrashFolder; // the Trash folder used (holding files/ and info/)
    std::string m_strName;        // its name in files/ (and info/NAME.trashinfo)
};

// Moves the entry `strName` of the open folder `hFolder` to the Trash.
// Returns 0, an errno value or kNoTrashError. Symbolic links are moved as
// links, never followed.
int MoveToTrash(int hFolder, const std::string& strName, TrashedEntry* pWhere = nullptr);

// The second half of MoveToTrash, for an entry on another file system than
// the home Trash: the Trash below the top folder `strTopFolder` of the
// entry's file system (its mount point).
int MoveToTopFolderTrash(int hFolder, const std::string& strName, const std::string& strTopFolder,
                         TrashedEntry* pWhere = nullptr);

// The home Trash folder as the environment names it (not made).
std::string HomeTrashFolder();

// The text of a .trashinfo file.
std::string TrashInfoText(std::string_view strAbsolutePath, std::time_t tDeleted);

// A path as the Path key of a .trashinfo holds it: every byte but the
// unreserved characters of a URI and '/' as %XX.
std::string TrashPathEncode(std::string_view strPath);
