#include "core/net/SourceDownload.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>

#include "core/net/HttpSession.h"
#include "core/settings/CheckSettings.h"

namespace {

// State shared with the transfer callbacks.
struct TransferState {
    int m_hFile = -1;
    std::uint64_t m_nMaxBytes = 0;
    std::uint64_t m_nBytes = 0;
    bool m_bTooLarge = false;
    bool m_bWriteFailed = false;
    const std::function<bool()>* m_pAbort = nullptr;
    bool m_bAborted = false;
};

size_t OnBody(char* pData, size_t nSize, size_t nCount, void* pUser)
{
    auto& state = *static_cast<TransferState*>(pUser);
    const size_t nTotal = nSize * nCount;
    if (state.m_nBytes + nTotal > state.m_nMaxBytes) {
        // Also catches an answer that grows past the limit only when decoded.
        state.m_bTooLarge = true;
        return 0;
    }
    size_t nDone = 0;
    while (nDone < nTotal) {
        const ssize_t n = write(state.m_hFile, pData + nDone, nTotal - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            state.m_bWriteFailed = true;
            return 0;
        }
        nDone += static_cast<size_t>(n);
    }
    state.m_nBytes += nTotal;
    return nTotal;
}

int OnProgress(void* pUser, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& state = *static_cast<TransferState*>(pUser);
    if (state.m_pAbort && *state.m_pAbort && (*state.m_pAbort)()) {
        state.m_bAborted = true;
        return 1;
    }
    return 0;
}

} // namespace

SourceDownloadResult DownloadSource(const std::string& strUrl, int hFile, std::int32_t nTimeoutMs,
                                    std::uint64_t nMaxBytes, const std::function<bool()>& fnAbort)
{
    SourceDownloadResult result;
    if (strUrl.find('\0') != std::string::npos || hFile < 0)
        return result;
    if (nTimeoutMs <= 0)
        nTimeoutMs = kDefaultTimeoutSeconds * 1000;

    const CurlEasyPtr pCurl = NewHttpHandle();
    if (!pCurl) {
        result.m_nCurlCode = CURLE_FAILED_INIT;
        return result;
    }

    TransferState state;
    state.m_hFile = hFile;
    state.m_nMaxBytes = nMaxBytes;
    state.m_pAbort = &fnAbort;

    CURL* h = pCurl.get();
    // Only the web: a redirect must not lead to file:// or other schemes.
    ApplyHttpSessionOptions(h, "http,https");
    curl_easy_setopt(h, CURLOPT_URL, strUrl.c_str());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, ""); // every encoding libcurl can decode
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(nTimeoutMs));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(nTimeoutMs));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(nMaxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);

    const CURLcode code = curl_easy_perform(h);
    long nStatus = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &nStatus);

    result.m_nCurlCode = code;
    result.m_nHttpStatus = nStatus;
    result.m_nBytes = state.m_nBytes;
    result.m_bTooLarge = state.m_bTooLarge || code == CURLE_FILESIZE_EXCEEDED;
    result.m_bAborted = state.m_bAborted;
    // FAILONERROR already fails on 400 and up; the status test also covers
    // an error answer without a body.
    result.m_bOk = code == CURLE_OK && !state.m_bWriteFailed && nStatus < 400;
    return result;
}
