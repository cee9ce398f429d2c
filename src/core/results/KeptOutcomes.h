#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/model/FavoriteItem.h"
#include "core/model/FavoriteList.h"
#include "core/model/TreeSink.h"
#include "core/results/KeptOutcome.h"

class CResultsCache;

// The outcome of a record as the cache keeps it.
KeptOutcome KeptOutcomeOf(const FavoriteItem& item);

// True for a status that a finished check gives (not "not checked", "being
// checked" or "skipped", nor a value no check produces).
bool IsKeptStatus(std::int32_t nStatus);

struct KeptApplied {
    int m_nApplied = 0; // records that took a kept outcome
    int m_nBroken = 0;  // of them broken or partially valid
};

// Gives every record of the list whose URL has a kept outcome that outcome
// (status, text, redirect, time of the check) and its node the image of that
// status, looked up in one read of the cache. With nNotBefore, only
// outcomes found at that time (seconds since 1970) or later are taken.
// Runs while no check pass runs; the records' outcomes are guarded, and the
// images go through the sink as a check's do.
KeptApplied ApplyKeptOutcomes(CFavoriteList& items, ITreeSink& sink, CResultsCache& cache,
                              std::optional<std::int64_t> nNotBefore = std::nullopt);

// A maximum age as the command line gives it: a number of seconds, or a
// number with the suffix s, m, h or d ("90m", "1d"). Absent for anything
// else, for a negative or overflowing value.
std::optional<std::int64_t> ParseCacheAge(std::string_view strAge);
