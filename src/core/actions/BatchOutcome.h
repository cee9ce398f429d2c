#pragma once

#include <string>
#include <string_view>

// The texts that close a command acting on many favourites at once (Delete
// All Broken, Update Moved Favorites) when some of them failed.

// "Could not <verb> "<name>": <error text>", one line per failure.
std::string BatchErrorLine(std::string_view strVerb, std::string_view strName, std::string_view strErrorText);

// "<n> of the <things> were <done> successfully.  Below is the error for the
// 1 that could not be <done>." (or "are the errors", or "None of the ...").
std::string BatchSummary(int nDone, int nFailed, std::string_view strThings, std::string_view strDone);
