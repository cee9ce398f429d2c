#pragma once

#include <string_view>

// File names compared as the Windows file system compares them.

// Compares two file names as the Windows file system orders them: code
// points folded to upper case (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic), bytes that are not UTF-8 by their value; names equal so are
// ordered by their bytes, so the order is always the same.
int CompareNamesNoCase(std::string_view a, std::string_view b);
// Equal without regard to case (the same folding).
bool NamesEqualNoCase(std::string_view a, std::string_view b);

// True when the name ends in the extension (".url" ...) in any letter case.
bool HasExtensionNoCase(std::string_view strName, std::string_view strExtension);
