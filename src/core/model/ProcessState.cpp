#include "core/model/ProcessState.h"

std::atomic<bool> g_bPopulating{false};
std::atomic<bool> g_bStopping{false};
std::atomic<bool> g_bChecked{false};
std::atomic<bool> g_bDocumentMode{false};
std::atomic<int> g_nBrokenCount{0};
std::atomic<int> g_nActiveWorkers{0};

bool IsIdle() { return g_nActiveWorkers.load() == 0 && !g_bPopulating.load(); }
