#pragma once

#include <atomic>
#include <string>

#include "model/TreeSink.h"
#include "platform/ManualResetEvent.h"

// Fills the tree from the Favorites folder `strRoot` (see
// LocateFavoritesFolder): one node per folder and per favourite in the order
// of the folder listing, a FavoriteItem for every favourite, all branches
// expanded and the first top-level node made visible. Runs on a thread of
// its own, within the frame of RunPopulation (tree disabled and
// g_bPopulating set while it works, then UM_LISTREADY); it changes the tree
// only through `sink`. A set `hStop` ends the walk before the next entry; a
// set `bClosing` also keeps the tree disabled and the list-ready message
// back. An empty `strRoot`, or one that is not a folder, ends the thread at
// once: the tree stays empty and enabled, no message is posted.
void FavoritesScanThread(ITreeSink& sink, const ManualResetEvent& hStop, const std::atomic<bool>& bClosing,
                         const std::string& strRoot);
