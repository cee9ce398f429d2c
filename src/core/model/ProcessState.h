#pragma once

#include <atomic>

// Process-wide flags and counters shared by the view, the population threads
// and the check scheduler. Background threads write them, the GUI thread
// reads them in its update pass, so all are atomic.
extern std::atomic<bool> g_bPopulating;   // a scan or extraction fills the tree
extern std::atomic<bool> g_bStopping;     // a stop of the checks is in progress
extern std::atomic<bool> g_bChecked;      // a favourite was checked since start
extern std::atomic<bool> g_bDocumentMode; // the view lists the links of a page or file
extern std::atomic<int> g_nBrokenCount;   // broken and partially valid ones of this pass
extern std::atomic<int> g_nActiveWorkers; // running worker threads

// No population fills the tree and no worker checks: the rule of the
// commands that must not overlap a scan or a pass (Refresh, Check All,
// Configuration, Exit).
bool IsIdle();
