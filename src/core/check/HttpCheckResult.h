#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What one check request produced, before it is judged.
struct HttpCheckResult {
    bool m_bOpenFailed = false;  // the HTTP library could not be set up; no request was made
    std::uint32_t m_dwError = 0; // Internet error number; 0 when an answer came
    // Status code of the final answer; empty when there is none to ask for
    // (an ftp link, or no status line).
    std::optional<int> m_nHttpStatus;
    // Location header of the final answer, as sent; empty when absent.
    std::string m_strLocation;
    // Retry-After header of the final answer, as sent; empty when absent.
    std::string m_strRetryAfter;
};
