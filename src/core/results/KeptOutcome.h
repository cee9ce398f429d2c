#pragma once

#include <cstdint>
#include <string>

// The outcome of one URL's last check as the results cache keeps it: what
// the details dialog shows of it, and when the check ended.
struct KeptOutcome {
    std::string m_strUrl;
    std::int32_t m_nStatus = 0;     // a LinkStatus value
    std::string m_strStatusText;
    std::string m_strFinalUrl;      // where its redirects ended; empty without any
    bool m_bPermanent = false;      // every redirect followed was a 301 or a 308
    std::int64_t m_nCheckedAt = 0;  // end of the check, seconds since 1970 (UTC)

    bool operator==(const KeptOutcome&) const = default;
};
