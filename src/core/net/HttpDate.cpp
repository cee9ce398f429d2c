#include "core/net/HttpDate.h"

#include <curl/curl.h>

#include <string>

std::optional<std::time_t> ParseHttpDate(std::string_view strDate)
{
    const std::time_t when = curl_getdate(std::string(strDate).c_str(), nullptr);
    if (when == -1)
        return std::nullopt;
    return when;
}
