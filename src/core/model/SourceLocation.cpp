#include "model/SourceLocation.h"

#include <cctype>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

std::string RemoveZorbelPrefix(std::string_view strLocation)
{
    constexpr std::string_view kPrefix = "zorbel:";
    if (strLocation.starts_with(kPrefix))
        strLocation.remove_prefix(kPrefix.size());
    return std::string(strLocation);
}

bool IsWebSource(std::string_view strLocation)
{
    return StartsWithNoCase(strLocation, "http://") || StartsWithNoCase(strLocation, "https://");
}
