#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/net/HttpCheckResult.h"
#include "core/net/HttpSession.h"

struct PageReadOptions;

// One check request from the favourite's address to its final answer: the
// hops (redirects and followed landers) and what each answer said, on one
// libcurl handle. It does no waiting of its own, so the same steps serve a
// blocking request (curl_easy_perform, CHttpClient) and one of many
// transfers driven together by an event loop (CTransferEngine):
//
//   if (transfer.Begin(url, deadline, pRead))
//       while (transfer.PrepareHop()) {
//           ... run the handle to its end, giving its CURLcode ...
//           if (!transfer.HopDone(code)) break;
//       }
//   HttpCheckResult result = transfer.TakeResult();
//
// The rules of a hop (schemes, redirects, the page read, headers that do not
// end) are those documented at CHttpClient.
class CHttpTransfer {
public:
    using Clock = std::chrono::steady_clock;

    // pCurl: the handle the hops run on (reset before each hop).
    explicit CHttpTransfer(CurlEasyPtr pCurl);
    ~CHttpTransfer();
    CHttpTransfer(const CHttpTransfer&) = delete;
    CHttpTransfer& operator=(const CHttpTransfer&) = delete;

    // Starts a check of strUrl that must end by `deadline`. pRead (may be
    // null) must stay alive until the transfer ends. False when the check
    // is over before any request (no handle, an address that is not
    // checked): the result is then final.
    bool Begin(std::string_view strUrl, Clock::time_point deadline, const PageReadOptions* pRead);
    // Sets the handle up for the next hop within the time left. False when
    // no time is left: the result (a time-out) is then final.
    bool PrepareHop();
    // The current hop ended with nCode. True when another hop follows
    // (PrepareHop again); false when the result is final.
    bool HopDone(CURLcode nCode);
    // The result; the transfer is spent afterwards.
    HttpCheckResult TakeResult();

    // Ends the check with an error number (a time-out seen from outside, a
    // name that does not resolve); the result is then final.
    void Fail(CURLcode nCode);

    CURL* Handle() const;
    // Gives the handle back (for the next transfer); the transfer is spent.
    CurlEasyPtr ReleaseHandle();
    // The address the current hop asks.
    const std::string& CurrentUrl() const { return m_strCurrent; }
    Clock::time_point Deadline() const { return m_deadline; }

private:
    struct CHandle;
    std::unique_ptr<CHandle> m_pHandle;
    HttpCheckResult m_result;
    const PageReadOptions* m_pRead = nullptr;
    std::string m_strUrl;     // the favourite's address
    std::string m_strCurrent; // the address of the current hop
    Clock::time_point m_deadline{};
    int m_nHop = 0;
};
