#include "core/net/HttpSession.h"

#include <atomic>
#include <mutex>

namespace {

// libcurl's set-up is the process's, whoever asks for it. curl_global_init
// is not safe against itself on every libcurl, so the first set-up is made
// under a lock; once done, the flag lets every later call through without it.
struct CHttpGlobal {
    std::mutex m_mx;
    std::atomic<bool> m_bReady{false};
};

CHttpGlobal& HttpGlobal()
{
    static CHttpGlobal s_global;
    return s_global;
}

} // namespace

bool HttpGlobalInit()
{
    CHttpGlobal& global = HttpGlobal();
    if (global.m_bReady.load(std::memory_order_acquire))
        return true;
    std::lock_guard lock(global.m_mx);
    if (!global.m_bReady.load(std::memory_order_relaxed) && curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK)
        global.m_bReady.store(true, std::memory_order_release);
    return global.m_bReady.load(std::memory_order_relaxed);
}

void HttpGlobalCleanup()
{
    CHttpGlobal& global = HttpGlobal();
    std::lock_guard lock(global.m_mx);
    if (!global.m_bReady.load(std::memory_order_relaxed))
        return;
    curl_global_cleanup();
    global.m_bReady.store(false, std::memory_order_release);
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
