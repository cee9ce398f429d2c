#include "core/check/RetryPolicy.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "core/net/HttpDate.h"

std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view strValue, std::time_t now)
{
    while (!strValue.empty() && (strValue.front() == ' ' || strValue.front() == '\t'))
        strValue.remove_prefix(1);
    while (!strValue.empty() && (strValue.back() == ' ' || strValue.back() == '\t'))
        strValue.remove_suffix(1);
    if (strValue.empty())
        return std::nullopt;

    if (std::all_of(strValue.begin(), strValue.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        long long nSeconds = 0;
        const auto [p, ec] = std::from_chars(strValue.data(), strValue.data() + strValue.size(), nSeconds);
        if (ec == std::errc::result_out_of_range)
            return std::chrono::seconds::max(); // longer than anyone waits
        if (ec != std::errc() || p != strValue.data() + strValue.size())
            return std::nullopt;
        return std::chrono::seconds(nSeconds);
    }
    const std::optional<std::time_t> when = ParseHttpDate(strValue);
    if (!when)
        return std::nullopt;
    return std::chrono::seconds(*when > now ? *when - now : 0);
}

std::optional<std::chrono::milliseconds> RetryDelay(int nHttpStatus, std::optional<std::chrono::seconds> retryAfter,
                                                    int nTry)
{
    if (nHttpStatus != 429 && nHttpStatus != 503)
        return std::nullopt;
    if (retryAfter) {
        if (*retryAfter > kMaxRetryAfter)
            return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(*retryAfter);
    }
    const int nDoublings = std::clamp(nTry - 1, 0, 16);
    return std::chrono::milliseconds(std::min<long long>(1000LL << nDoublings,
                                                         std::chrono::milliseconds(kRetryBackoffLimit).count()));
}
