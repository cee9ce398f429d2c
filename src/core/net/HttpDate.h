#pragma once

#include <ctime>
#include <optional>
#include <string_view>

// A date as HTTP writes it (in any of the three forms HTTP allows), as the
// time it names; nothing when the text is not such a date.
std::optional<std::time_t> ParseHttpDate(std::string_view strDate);
