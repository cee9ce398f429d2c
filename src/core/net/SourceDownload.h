#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Largest page that is downloaded; a bigger answer is refused rather than
// filling the temporary folder (which is often memory).
inline constexpr std::uint64_t kMaxSourceDownloadBytes = 256ull * 1024 * 1024;

struct SourceDownloadResult {
    bool m_bOk = false;
    int m_nCurlCode = 0;       // the CURLcode of the transfer
    long m_nHttpStatus = 0;    // last HTTP status seen, 0 without an answer
    std::uint64_t m_nBytes = 0; // bytes written, after decoding
    bool m_bTooLarge = false;  // refused for passing nMaxBytes
    bool m_bAborted = false;   // fnAbort asked to stop
};

// Downloads an http or https address into the open file hFile (written from
// its current offset). Redirects are followed (to http and https only),
// compressed answers are decoded, proxies come from the environment
// (http_proxy, https_proxy, no_proxy ...), the whole transfer is bounded by
// nTimeoutMs (the check time-out; 0 or less means its default), and an
// answer with an HTTP error status (400 and up) is a failure. fnAbort, if
// given, is polled during the transfer and ends it when it returns true.
SourceDownloadResult DownloadSource(const std::string& strUrl, int hFile, std::int32_t nTimeoutMs,
                                    std::uint64_t nMaxBytes = kMaxSourceDownloadBytes,
                                    const std::function<bool()>& fnAbort = {});
