#pragma once

#include <atomic>
#include <functional>

#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"

// The frame that every kind of source runs in while it fills the tree. The
// sources include it; the starter that picks a source (Population.h) sits
// above them.

// How the filling of the tree ended.
enum class PopulationEnd {
    Filled,      // the nodes are in: all of them, or those made before a stop
    SourceError, // the source cannot be read; no node was made
};

// The frame of every population, whatever its source: disables the tree and
// sets the view state's m_bPopulating, then runs `fill`, which inserts the nodes. Unless the
// view is closing by then:
//   Filled:      `arrange` (when given) arranges the filled tree, the tree
//                is enabled, m_bPopulating cleared and ViewEvent::ListReady posted;
//   SourceError: m_bPopulating is cleared and ViewEvent::SourceError posted; the
//                tree stays disabled, as the view closes.
// A closing view gets no change after `fill` and no message; the tree stays
// disabled. m_bPopulating is cleared however `fill` leaves, and always
// before the message, so that the view's handler (which may start a check
// pass at once) finds the population over.
void RunPopulation(ITreeSink& sink, CViewState& state, const std::atomic<bool>& bClosing,
                   const std::function<PopulationEnd()>& fill, const std::function<void()>& arrange = {});
