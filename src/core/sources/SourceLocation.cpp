#include "core/sources/SourceLocation.h"

#include "core/platform/AsciiText.h"

std::string RemoveZorbelPrefix(std::string_view strLocation)
{
    constexpr std::string_view kPrefix = "zorbel:";
    if (strLocation.starts_with(kPrefix))
        strLocation.remove_prefix(kPrefix.size());
    return std::string(strLocation);
}

bool IsWebSource(std::string_view strLocation)
{
    return StartsWithAsciiNoCase(strLocation, "http://") || StartsWithAsciiNoCase(strLocation, "https://");
}
