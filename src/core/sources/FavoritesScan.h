#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"
#include "core/platform/ManualResetEvent.h"

// Something of the Favorites folder that could not be read.
struct ScanProblem {
    std::string m_strPath; // the full path of the entry, or of the folder itself
    int m_nError = 0;      // the errno
    // The Favorites folder itself cannot be opened or listed: nothing was
    // scanned, and nothing more is reported.
    bool m_bRoot = false;
    // A problem no errno names, in words (m_nError is 0): a folder at the
    // depth limit, whose entries are not read.
    std::string m_strText = {};
};
// Told of every problem as the scan meets it, on the scan's thread.
using ScanProblemFunction = std::function<void(const ScanProblem&)>;

// Fills the tree from the Favorites folder `strRoot` (see
// LocateFavoritesFolder): one node per folder and per favourite in the order
// of the folder listing, a FavoriteItem for every favourite, all branches
// expanded and the first top-level node made visible. Runs on a thread of
// its own, within the frame of RunPopulation (tree disabled and
// the view state's m_bPopulating set while it works, then ViewEvent::ListReady); it changes the tree
// only through `sink`. A set `hStop` ends the walk before the next entry; a
// set `bClosing` also keeps the tree disabled and the list-ready message
// back.
//
// The walk goes from folder handle to folder handle (openat), so a folder
// replaced by a symbolic link while the scan runs is never walked through,
// and no path length limits how deep it goes; each file is opened once,
// without blocking and without following a symbolic link, and read from
// that descriptor. A folder that cannot be read stays an empty folder node,
// a file that cannot be read a favourite without a URL; each is told to
// `onProblem`, when given.
//
// Folders are read kMaxFolderDepth deep: a folder whose entries would lie
// deeper stays an empty folder node and is told to `onProblem` with a text
// naming the limit. The walk holds the handles of the innermost 16 folders
// it is in, whatever the depth; a folder whose handle was let go is opened
// again from its subfolder's ".." when the walk comes back to it, and only
// if it is still the very folder it was (device and inode); one moved away
// meanwhile is told to `onProblem` and the rest of it is not read. Each
// level of the walk keeps its own name and no more, so its memory grows
// with the depth, not with the square of it.
//
// An empty `strRoot`, or a folder that cannot be opened and listed, ends
// the thread at once: the tree stays empty and enabled, no message is
// posted, and `onProblem` hears of the folder (unless strRoot is empty).
void FavoritesScanThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                         const std::string& strRoot, const ScanProblemFunction& onProblem = {});
