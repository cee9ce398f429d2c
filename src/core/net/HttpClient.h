#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/check/HttpCheckResult.h"

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
// The body is never read: a request ends as soon as the final answer's
// headers are in.
//
// A client keeps one libcurl handle, so it belongs to one thread at a time;
// ForThisThread gives each thread its own, which lets the checks of one
// worker reuse connections.
class CHttpClient {
public:
    CHttpClient();
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    static CHttpClient& ForThisThread();

    HttpCheckResult Check(std::string_view strUrl, std::chrono::milliseconds timeout);

private:
    struct CHandle;
    std::unique_ptr<CHandle> m_pHandle; // null when libcurl could not be set up
};
