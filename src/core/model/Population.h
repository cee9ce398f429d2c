#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "model/FavoritesScan.h"
#include "model/TreeSink.h"

class ManualResetEvent;

// Filling the tree from a source: the one place that chooses what runs for
// a source, and the frame that every kind of source runs in.

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
};

// A browser's bookmarks, or a page or file: the program runs in document
// mode (read-only records, the pane counting URLs).
bool IsDocumentRequest(const PopulationRequest& request);

// Starts the Favorites scan or the link extraction on a thread of its own
// and returns that thread; the caller joins it. sink and bClosing must
// outlive the thread; the thread holds a reference of its own to the stop
// event. A browser request reads the store of the browser's profile
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
std::thread StartPopulation(ITreeSink& sink, std::shared_ptr<const ManualResetEvent> pStop,
                            const std::atomic<bool>& bClosing, PopulationRequest request,
                            ScanProblemFunction onScanProblem = {});

// How the filling of the tree ended.
enum class PopulationEnd {
    Filled,      // the nodes are in: all of them, or those made before a stop
    SourceError, // the source cannot be read; no node was made
};

// The frame of every population, whatever its source: disables the tree and
// sets g_bPopulating, then runs `fill`, which inserts the nodes. Unless the
// view is closing by then:
//   Filled:      `arrange` (when given) arranges the filled tree, the tree
//                is enabled, g_bPopulating cleared and UM_LISTREADY posted;
//   SourceError: g_bPopulating is cleared and UM_SOURCEERROR posted; the
//                tree stays disabled, as the view closes.
// A closing view gets no change after `fill` and no message; the tree stays
// disabled. g_bPopulating is cleared however `fill` leaves, and always
// before the message, so that the view's handler (which may start a check
// pass at once) finds the population over.
void RunPopulation(ITreeSink& sink, const std::atomic<bool>& bClosing,
                   const std::function<PopulationEnd()>& fill, const std::function<void()>& arrange = {});
