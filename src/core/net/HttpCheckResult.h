#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What one check request produced, before it is judged.
struct HttpCheckResult {
    bool m_bOpenFailed = false;  // the HTTP library could not be set up; no request was made
    std::uint32_t m_dwError = 0; // Internet error number; 0 when an answer came
    // Status code of the final answer; empty when there is none to ask for
    // (an ftp link, or no status line).
    std::optional<int> m_nHttpStatus;
    // Location header of the final answer, as sent but with every control
    // character replaced by U+FFFD; empty when absent.
    std::string m_strLocation;
    // Where the redirects that were followed ended: the address of the final
    // answer, or of the request that failed after them. Empty when no
    // redirect was followed, and for a redirect loop (it never ends).
    std::string m_strFinalUrl;
    // Every redirect followed was permanent (301 or 308); false when none was.
    bool m_bPermanentRedirects = false;
    // Retry-After header of the final answer, as sent; empty when absent.
    std::string m_strRetryAfter;

    // Filled only when the check was asked to read the page (PageReadOptions):
    // every address asked, in order, the favourite's own first (redirects and
    // followed landers included);
    std::vector<std::string> m_redirectChain;
    // the Content-Type of the final answer, as sent;
    std::string m_strContentType;
    // the decoded beginning of the body of a final 200 answer that is HTML
    // (or says nothing of its type), at most the limit asked for;
    std::string m_strBody;
    // true when that body was read (it may be cut at the limit or short of
    // the time-out); false when the answer was not a page to read.
    bool m_bBodyRead = false;
};
