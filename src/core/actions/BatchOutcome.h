#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/FavoriteItem.h"

// A command acting on many favourites at once (Delete All Broken, Update
// Moved Favorites) has one shape: the user confirms a list, the command's
// action runs on each favourite in turn, and a failure on one favourite
// stops nothing but gets its line in the errors. Each command brings only
// its own words and its action.

// The words of one command.
struct BatchTexts {
    std::string_view m_strVerb;          // in "Could not <verb> "<name>": ..."
    std::string_view m_strThings;        // in "<n> of the <things> were ..."
    std::string_view m_strDone;          // in "... were <done> successfully"
    std::string_view m_strNoneText;      // the box when nothing was left to act on
    std::string_view m_strNoneCaption;
    std::string_view m_strAllDoneText;   // the box when every one succeeded
    std::string_view m_strAllDoneCaption;
    std::string_view m_strErrorsCaption; // the title of the errors dialog
};

// How a run went.
struct BatchOutcome {
    int m_nDone = 0;
    int m_nFailed = 0;
    std::string m_strErrors; // one line per failure, "\r\n" between them
};

// What a command does to one favourite: 0 when it succeeded, else an error
// number that FavoriteFileErrorText words for the failure's line.
using BatchAction = std::function<int(FavoriteItem&)>;

// Runs `fnAct` on every record in order. A null record, or one that
// `fnTakes` (when given) turns down, is passed by and counted nowhere.
// After each success `onDone` (when given) is told; a failure's record
// stays as it was and gets its line in the errors.
BatchOutcome RunBatch(const std::vector<std::shared_ptr<FavoriteItem>>& items, const BatchTexts& texts,
                      const std::function<bool(const FavoriteItem&)>& fnTakes, const BatchAction& fnAct,
                      const std::function<void(FavoriteItem&)>& onDone);

// "Could not <verb> "<name>": <error text>", one line per failure.
std::string BatchErrorLine(std::string_view strVerb, std::string_view strName, std::string_view strErrorText);

// "<n> of the <things> were <done> successfully.  Below is the error for the
// 1 that could not be <done>." (or "are the errors", or "None of the ...").
std::string BatchSummary(int nDone, int nFailed, std::string_view strThings, std::string_view strDone);
std::string BatchSummary(const BatchTexts& texts, const BatchOutcome& outcome);
