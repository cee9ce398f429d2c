#include "core/net/HttpSession.h"

#include <atomic>
#include <mutex>

namespace {

// curl_global_init is not safe against itself on every libcurl, so the
// first set-up is made under a lock; once done, the flag lets every later
// call through without it.
std::mutex g_mxHttpGlobal;
std::atomic<bool> g_bHttpReady{false};

} // namespace

bool HttpGlobalInit()
{
    if (g_bHttpReady.load(std::memory_order_acquire))
        return true;
    std::lock_guard lock(g_mxHttpGlobal);
    if (!g_bHttpReady.load(std::memory_order_relaxed) && curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK)
        g_bHttpReady.store(true, std::memory_order_release);
    return g_bHttpReady.load(std::memory_order_relaxed);
}

void HttpGlobalCleanup()
{
    std::lock_guard lock(g_mxHttpGlobal);
    if (!g_bHttpReady.load(std::memory_order_relaxed))
        return;
    curl_global_cleanup();
    g_bHttpReady.store(false, std::memory_order_release);
}

CurlEasyPtr NewHttpHandle()
{
    if (!HttpGlobalInit())
        return nullptr;
    return CurlEasyPtr(curl_easy_init());
}

void ApplyHttpSessionOptions(CURL* pCurl, const char* pszProtocols)
{
    curl_easy_setopt(pCurl, CURLOPT_USERAGENT, kZorbelUserAgent);
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_PROTOCOLS_STR, pszProtocols);
    curl_easy_setopt(pCurl, CURLOPT_REDIR_PROTOCOLS_STR, pszProtocols);
    curl_easy_setopt(pCurl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(pCurl, CURLOPT_SSL_VERIFYHOST, 2L);
}
