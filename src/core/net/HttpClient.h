#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/HttpCheckResult.h"
#include "core/net/HttpSession.h"

// Redirects followed before a request counts as a redirect loop.
inline constexpr int kMaxRedirects = 10;

// One GET per check, through libcurl. Proxies come from the environment
// (http_proxy, https_proxy, no_proxy); only http, https and ftp are opened;
// certificates are verified. Redirects (301, 302, 303, 307, 308) are
// followed up to kMaxRedirects times as long as the target is a link of
// those schemes; a redirect that cannot be followed is the final answer. The
// time-out bounds the whole request, name look-ups and redirects included.
// The result tells where the redirects followed ended and whether every one
// of them was permanent.
// The body is not read unless PageReadOptions ask for it: a request ends as
// soon as the final answer's headers are in.
//
// A client keeps one libcurl handle, so it belongs to one thread at a time;
// ForThisThread gives each thread its own, which lets the checks of one
// worker reuse connections.
// Reading the page of a check. A final 200 answer whose type is HTML (or not
// given) has its body read, decoded (gzip and deflate) and counted after
// decoding, up to m_nMaxBytes; what comes after that is never read, so a
// small compressed body that would unpack to gigabytes costs no more than
// the limit. The body is read within the time-out that is left; should the
// answer stall or break after its headers, what came is kept and the
// answer stands.
struct PageReadOptions {
    std::size_t m_nMaxBytes = 256 * 1024;
    // Where a page that only sends its reader on (a meta refresh, a script
    // that sets the location) sends it, as written in the page; empty when
    // it does not. Such a target is followed as one more temporary
    // redirect, within kMaxRedirects; nothing of the page is ever run.
    std::function<std::string(std::string_view strBody)> m_landerTarget;
};

class CTransferEngine;

class CHttpClient {
public:
    CHttpClient();
    // A client whose requests run as transfers of the engine (shared DNS,
    // TLS sessions and connections, ended at once by the engine's abort);
    // Check still blocks its caller until the answer is in.
    explicit CHttpClient(std::shared_ptr<CTransferEngine> pEngine);
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    static CHttpClient& ForThisThread();

    // pRead: read the page of a 200 answer too (null: headers only).
    HttpCheckResult Check(std::string_view strUrl, std::chrono::milliseconds timeout,
                          const PageReadOptions* pRead = nullptr);

private:
    std::shared_ptr<CTransferEngine> m_pEngine; // null: requests of this thread's own
    CurlEasyPtr m_pCurl;                        // reused from request to request
};
