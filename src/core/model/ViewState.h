#pragma once

#include <atomic>

// What the commands of a view need to know of the work running for it: is a
// population filling its tree, does a pass check its records, how many of
// them are broken. One belongs to each view (the window's, or the console
// run's); the population frame, the check pass and the commands are given it.
// Background threads write it and the GUI thread reads it in its update
// pass, so every member is atomic.
class CViewState {
public:
    std::atomic<bool> m_bPopulating{false};   // a scan or extraction fills the tree
    std::atomic<bool> m_bStopping{false};     // a stop of the checks is in progress
    std::atomic<bool> m_bChecked{false};      // a favourite was checked since start
    std::atomic<bool> m_bDocumentMode{false}; // the view lists the links of a page or file
    std::atomic<int> m_nBrokenCount{0};       // broken and partially valid ones of this pass
    std::atomic<int> m_nActiveWorkers{0};     // running worker threads
    std::atomic<int> m_nPassTotal{0};         // records the pass will handle, set at its start
    std::atomic<int> m_nPassDone{0};          // records the pass has finished, checked or skipped

    // No population fills the tree and no worker checks: the rule of the
    // commands that must not overlap a scan or a pass (Refresh, Check All,
    // Configuration, Exit).
    bool IsIdle() const { return m_nActiveWorkers.load() == 0 && !m_bPopulating.load(); }
};
