#pragma once

#include <string>
#include <string_view>

// The location given on the command line without the pseudo-scheme
// "zorbel:" (exact lower case, at the very start, removed once).
std::string RemoveZorbelPrefix(std::string_view strLocation);

// True when the location is to be downloaded rather than opened as a file:
// it begins with "http://" or "https://" in any letter case.
bool IsWebSource(std::string_view strLocation);
