#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"
#include "core/sources/FavoritesScan.h"

class ManualResetEvent;

// Filling the tree from a source: the one place that chooses what runs for
// a source. The frame every source runs in is PopulationFrame.h, below the
// sources; this starter is above them.

// What a population learnt about its source, for the program to tell the
// user. Written by the population thread before its message; read after the
// thread is joined.
struct PopulationReport {
    std::string m_strStore;       // the browser's store that was found, when a browser was asked for
    std::string m_strSourceError; // the text of a source error: what could not be read, or found
};

// What the tree is filled from.
struct PopulationRequest {
    std::string m_strSource;        // a page or file; empty for the Favorites folder
    std::string m_strFavoritesRoot; // the folder scanned when m_strSource is empty
    std::string m_strBrowser = {};  // "NAME[:PROFILE]": that browser's bookmarks, before the two above
    std::shared_ptr<PopulationReport> m_pReport = {}; // filled in when given
    int m_nTimeoutMs = 0;           // the time-out of a page's download; 0: the default
    std::string m_strBrowserStore = {}; // a browser's store by its path (as listed), before all the others
};

// A browser's bookmarks, or a page or file: the program runs in document
// mode (read-only records, the pane counting URLs).
bool IsDocumentRequest(const PopulationRequest& request);

// Starts the Favorites scan or the link extraction on a thread of its own
// and returns that thread; the caller joins it. sink and bClosing must
// outlive the thread; the thread holds a reference of its own to the stop
// event. A browser's store named by its path is read as that browser's
// own store (one that turns out to be none is a source error). A browser request reads the store of the browser's profile
// (LocateBrowserStore, BookmarkSourceThread); one that finds no store is a
// source error whose text names what was looked for. Otherwise the source
// is taken as it stands (see RemoveZorbelPrefix): a local file recognised
// by its content as a bookmark store (SniffBookmarkFile) is read as one;
// any other source that is not empty is a page or a file
// (SourceLinksThread); an empty one means the Favorites folder
// m_strFavoritesRoot (FavoritesScanThread), or the folder
// LocateFavoritesFolder() finds when that is empty too. Every kind of
// source is chosen here and nowhere else.
// The Favorites scan tells `onScanProblem` (when given) of what it cannot
// read.
// The view's state (its m_bPopulating) must outlive the thread too.
std::thread StartPopulation(ITreeSink& sink, CViewState& state, std::shared_ptr<const ManualResetEvent> pStop,
                            const std::atomic<bool>& bClosing, PopulationRequest request,
                            ScanProblemFunction onScanProblem = {});
