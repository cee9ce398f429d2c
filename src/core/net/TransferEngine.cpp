#include "core/net/TransferEngine.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <deque>
#include <future>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/net/CurlErrorTable.h"
#include "core/net/HttpSession.h"
#include "core/net/HttpTransfer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest the loop sleeps when nothing happens; libcurl's own timers
// shorten it.
constexpr int kMaxPollMs = 1000;
// How long a name that did not resolve stays unresolved for the transfers
// that come after; a later one asks again, so that a passing failure of the
// name server does not condemn every link of the host.
constexpr auto kFailedLookupKept = std::chrono::seconds(5);
// Handles kept for reuse once their transfers are done.
constexpr std::size_t kMaxSpareHandles = 1024;
// Where the system keeps its trusted certificates, one file each.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";

struct CurlMultiCleanup {
    void operator()(CURLM* p) const { curl_multi_cleanup(p); }
};
struct CurlShareCleanup {
    void operator()(CURLSH* p) const { curl_share_cleanup(p); }
};
struct CurlSlistCleanup {
    void operator()(curl_slist* p) const { curl_slist_free_all(p); }
};

// "host:port" of an address whose host is a name that must be looked up;
// empty for an address literal or what cannot be parsed. The host part is
// returned in strHost.
std::string LookupKey(const std::string& strUrl, std::string& strHost)
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> pUrl(curl_url(), &curl_url_cleanup);
    if (!pUrl || curl_url_set(pUrl.get(), CURLUPART_URL, strUrl.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return {};
    char* pHost = nullptr;
    char* pPort = nullptr;
    std::string strKey;
    if (curl_url_get(pUrl.get(), CURLUPART_HOST, &pHost, 0) == CURLUE_OK && pHost &&
        curl_url_get(pUrl.get(), CURLUPART_PORT, &pPort, CURLU_DEFAULT_PORT) == CURLUE_OK && pPort) {
        std::string host(pHost);
        std::transform(host.begin(), host.end(), host.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool bLiteral = host.empty() || host.front() == '[' ||
                              std::all_of(host.begin(), host.end(), [](unsigned char c) {
                                  return std::isdigit(c) != 0 || c == '.';
                              });
        if (!bLiteral) {
            strHost = host;
            strKey = host + ":" + pPort;
        }
    }
    curl_free(pHost);
    curl_free(pPort);
    return strKey;
}

} // namespace

// One request and its place in the loop.
struct CJob {
    std::unique_ptr<CHttpTransfer> m_pTransfer;
    std::string m_strUrl;
    Clock::time_point m_deadline{};
    const PageReadOptions* m_pRead = nullptr;
    CTransferEngine::Done m_done;
    std::unique_ptr<curl_slist, CurlSlistCleanup> m_pResolve; // the seam's addresses for this hop
    std::string m_strResolving; // the lookup key this hop resolves for the others; empty if none
    std::string m_strKey;       // the lookup key of the current hop
    bool m_bInMulti = false;
    bool m_bHeld = false;       // waits for its host's name
    CTransferEngine::CLoop* m_pLoop = nullptr;
};

struct CTransferEngine::CLoop {
    TransferEngineOptions m_options;
    std::unique_ptr<CURLM, CurlMultiCleanup> m_pMulti;
    std::unique_ptr<CURLSH, CurlShareCleanup> m_pShare;

    // Shared with the other threads.
    mutable std::mutex m_mx;
    std::vector<std::unique_ptr<CJob>> m_incoming;
    bool m_bQuit = false;
    std::atomic<bool> m_bAbort{false};
    std::atomic<std::size_t> m_nPending{0};

    // The loop's own.
    enum class HostState { Resolving, Resolved, Failed };
    struct CHost {
        HostState m_nState = HostState::Resolving;
        std::deque<CJob*> m_held;
        Clock::time_point m_failed{}; // when the name did not resolve
    };
    std::unordered_map<CJob*, std::unique_ptr<CJob>> m_jobs;
    std::unordered_map<std::string, CHost> m_hosts;
    std::vector<CJob*> m_released; // held jobs whose host is now known
    std::vector<CurlEasyPtr> m_spares;

    static curl_socket_t OnOpenSocket(void* pUser, curlsocktype, curl_sockaddr* pAddress)
    {
        auto* const pJob = static_cast<CJob*>(pUser);
        // The name is known once a socket is opened for it; the transfers
        // held for it go on (they are added after this round of the loop).
        if (!pJob->m_strResolving.empty())
            pJob->m_pLoop->HostResolved(pJob);
        return socket(pAddress->family, pAddress->socktype | SOCK_CLOEXEC, pAddress->protocol);
    }

    void HostResolved(CJob* pJob)
    {
        const std::string strKey = std::exchange(pJob->m_strResolving, {});
        const auto it = m_hosts.find(strKey);
        if (it == m_hosts.end())
            return;
        it->second.m_nState = HostState::Resolved;
        for (CJob* pHeld : it->second.m_held)
            m_released.push_back(pHeld);
        it->second.m_held.clear();
    }

    CurlEasyPtr TakeHandle()
    {
        if (!m_spares.empty()) {
            CurlEasyPtr p = std::move(m_spares.back());
            m_spares.pop_back();
            return p;
        }
        return NewHttpHandle();
    }

    void Finish(CJob* pJob, bool bAborted)
    {
        std::unique_ptr<CJob> pOwned = std::move(m_jobs[pJob]);
        m_jobs.erase(pJob);
        if (pJob->m_bInMulti) {
            curl_multi_remove_handle(m_pMulti.get(), pJob->m_pTransfer->Handle());
            pJob->m_bInMulti = false;
        }
        if (!pJob->m_strResolving.empty())
            GiveUpResolving(pJob, CURLE_OK);
        HttpCheckResult result;
        if (pJob->m_pTransfer) { // none yet for a request aborted before it started
            if (!bAborted)
                result = pJob->m_pTransfer->TakeResult();
            if (CurlEasyPtr pCurl = pJob->m_pTransfer->ReleaseHandle(); pCurl && m_spares.size() < kMaxSpareHandles)
                m_spares.push_back(std::move(pCurl));
        }
        m_nPending.fetch_sub(1);
        if (pOwned->m_done)
            pOwned->m_done(std::move(result), bAborted);
    }

    // The job that resolved a name for others ended before the name was
    // known. A name that does not resolve fails the held transfers alike;
    // anything else lets the next of them resolve it.
    void GiveUpResolving(CJob* pJob, CURLcode nCode)
    {
        const std::string strKey = std::exchange(pJob->m_strResolving, {});
        const auto it = m_hosts.find(strKey);
        if (it == m_hosts.end())
            return;
        std::deque<CJob*> held = std::move(it->second.m_held);
        if (nCode == CURLE_COULDNT_RESOLVE_HOST) {
            it->second.m_nState = HostState::Failed;
            it->second.m_failed = Clock::now();
        } else {
            m_hosts.erase(it);
        }
        for (CJob* pHeld : held)
            m_released.push_back(pHeld);
    }

    void Start(std::unique_ptr<CJob> pOwned)
    {
        CJob* const pJob = pOwned.get();
        pJob->m_pLoop = this;
        m_jobs.emplace(pJob, std::move(pOwned));
        if (m_bAbort.load()) {
            Finish(pJob, true);
            return;
        }
        pJob->m_pTransfer = std::make_unique<CHttpTransfer>(TakeHandle());
        if (!pJob->m_pTransfer->Begin(pJob->m_strUrl, pJob->m_deadline, pJob->m_pRead)) {
            Finish(pJob, false);
            return;
        }
        StartHop(pJob);
    }

    void ApplyOptions(CJob* pJob)
    {
        CURL* const h = pJob->m_pTransfer->Handle();
        curl_easy_setopt(h, CURLOPT_PRIVATE, pJob);
        curl_easy_setopt(h, CURLOPT_SHARE, m_pShare.get());
        // The pass's cache keeps a name for the whole pass.
        curl_easy_setopt(h, CURLOPT_DNS_CACHE_TIMEOUT, -1L);
        curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &CLoop::OnOpenSocket);
        curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, pJob);
        if (!m_options.m_strCaFile.empty()) {
            // CAINFO alone would replace the system's bundle; the system's
            // folder of certificates stays trusted beside the file.
            curl_easy_setopt(h, CURLOPT_CAINFO, m_options.m_strCaFile.c_str());
            curl_easy_setopt(h, CURLOPT_CAPATH, kSystemCaPath);
        }
        if (pJob->m_pResolve)
            curl_easy_setopt(h, CURLOPT_RESOLVE, pJob->m_pResolve.get());
    }

    // Sets the current hop up and adds it to the multi handle, or holds it
    // while another transfer looks its host up.
    void StartHop(CJob* pJob)
    {
        pJob->m_bHeld = false;
        pJob->m_pResolve.reset();
        if (!pJob->m_pTransfer->PrepareHop()) {
            Finish(pJob, false);
            return;
        }
        std::string strHost;
        pJob->m_strKey = LookupKey(pJob->m_pTransfer->CurrentUrl(), strHost);
        if (!pJob->m_strKey.empty()) {
            auto [it, bNew] = m_hosts.try_emplace(pJob->m_strKey);
            CHost& host = it->second;
            if (!bNew && host.m_nState == HostState::Failed && Clock::now() - host.m_failed > kFailedLookupKept) {
                host.m_nState = HostState::Resolving; // asked again, by this transfer
                bNew = true;
            }
            if (!bNew && host.m_nState == HostState::Failed) {
                pJob->m_pTransfer->Fail(CURLE_COULDNT_RESOLVE_HOST);
                Finish(pJob, false);
                return;
            }
            if (!bNew && host.m_nState == HostState::Resolving) {
                pJob->m_bHeld = true;
                host.m_held.push_back(pJob);
                return;
            }
            if (bNew) {
                pJob->m_strResolving = pJob->m_strKey;
                if (m_options.m_resolve) {
                    const std::vector<std::string> addresses = m_options.m_resolve(strHost);
                    if (addresses.empty()) {
                        pJob->m_pTransfer->Fail(CURLE_COULDNT_RESOLVE_HOST);
                        GiveUpResolving(pJob, CURLE_COULDNT_RESOLVE_HOST);
                        Finish(pJob, false);
                        return;
                    }
                    std::string strEntry = pJob->m_strKey + ":";
                    for (std::size_t i = 0; i < addresses.size(); ++i)
                        strEntry += (i ? "," : "") + addresses[i];
                    pJob->m_pResolve.reset(curl_slist_append(nullptr, strEntry.c_str()));
                }
            }
        }
        ApplyOptions(pJob);
        if (curl_multi_add_handle(m_pMulti.get(), pJob->m_pTransfer->Handle()) != CURLM_OK) {
            pJob->m_pTransfer->Fail(CURLE_FAILED_INIT);
            Finish(pJob, false);
            return;
        }
        pJob->m_bInMulti = true;
    }

    void HopEnded(CJob* pJob, CURLcode nCode)
    {
        curl_multi_remove_handle(m_pMulti.get(), pJob->m_pTransfer->Handle());
        pJob->m_bInMulti = false;
        if (!pJob->m_strResolving.empty())
            GiveUpResolving(pJob, nCode);
        if (pJob->m_pTransfer->HopDone(nCode))
            StartHop(pJob);
        else
            Finish(pJob, false);
    }

    void StartReleased()
    {
        while (!m_released.empty()) {
            std::vector<CJob*> released;
            released.swap(m_released);
            for (CJob* pJob : released)
                if (m_jobs.count(pJob) != 0 && pJob->m_bHeld) {
                    pJob->m_bHeld = false;
                    // Its hop is set up again (the time left is less now).
                    StartHop(pJob);
                }
        }
    }

    // Held transfers whose time ran out while they waited for their host.
    int ExpireHeld(Clock::time_point now)
    {
        int nWaitMs = kMaxPollMs;
        std::vector<CJob*> expired;
        for (auto& [strKey, host] : m_hosts)
            for (CJob* pJob : host.m_held) {
                if (pJob->m_deadline <= now)
                    expired.push_back(pJob);
                else
                    nWaitMs = static_cast<int>(std::min<long long>(
                        nWaitMs, std::chrono::ceil<std::chrono::milliseconds>(pJob->m_deadline - now).count()));
            }
        for (CJob* pJob : expired) {
            CHost& host = m_hosts[pJob->m_strKey];
            host.m_held.erase(std::find(host.m_held.begin(), host.m_held.end(), pJob));
            pJob->m_bHeld = false;
            pJob->m_pTransfer->Fail(CURLE_OPERATION_TIMEDOUT);
            Finish(pJob, false);
        }
        return nWaitMs;
    }

    void AbortEverything()
    {
        for (auto& [strKey, host] : m_hosts)
            host.m_held.clear();
        m_released.clear();
        std::vector<CJob*> jobs;
        jobs.reserve(m_jobs.size());
        for (auto& [pJob, pOwned] : m_jobs)
            jobs.push_back(pJob);
        for (CJob* pJob : jobs) {
            pJob->m_strResolving.clear();
            Finish(pJob, true);
        }
    }
};

std::shared_ptr<CTransferEngine> CTransferEngine::Start(TransferEngineOptions options)
{
    if (!HttpGlobalInit())
        return nullptr;
    std::shared_ptr<CTransferEngine> pEngine(new CTransferEngine);
    pEngine->m_pLoop = std::make_shared<CLoop>();
    CLoop& loop = *pEngine->m_pLoop;
    loop.m_options = std::move(options);
    loop.m_pMulti.reset(curl_multi_init());
    loop.m_pShare.reset(curl_share_init());
    if (!loop.m_pMulti || !loop.m_pShare)
        return nullptr;
    // Used by the loop's thread alone, so the share needs no locks.
    curl_share_setopt(loop.m_pShare.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(loop.m_pShare.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    try {
        pEngine->m_thread = std::thread([pLoop = pEngine->m_pLoop] { Run(*pLoop); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return pEngine;
}

CTransferEngine::~CTransferEngine()
{
    if (!m_pLoop)
        return;
    {
        std::lock_guard lock(m_pLoop->m_mx);
        m_pLoop->m_bQuit = true;
    }
    AbortAll();
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach(); // ended from a completion: the loop sees the quit and returns by itself
    else
        m_thread.join();
}

void CTransferEngine::Submit(std::string strUrl, std::chrono::milliseconds timeout, const PageReadOptions* pRead,
                             Done done)
{
    auto pJob = std::make_unique<CJob>();
    pJob->m_strUrl = std::move(strUrl);
    pJob->m_deadline = Clock::now() + timeout;
    pJob->m_pRead = pRead;
    pJob->m_done = std::move(done);
    m_pLoop->m_nPending.fetch_add(1);
    {
        std::lock_guard lock(m_pLoop->m_mx);
        m_pLoop->m_incoming.push_back(std::move(pJob));
    }
    curl_multi_wakeup(m_pLoop->m_pMulti.get());
}

HttpCheckResult CTransferEngine::CheckAndWait(std::string_view strUrl, std::chrono::milliseconds timeout,
                                              const PageReadOptions* pRead)
{
    auto pPromise = std::make_shared<std::promise<HttpCheckResult>>();
    std::future<HttpCheckResult> answer = pPromise->get_future();
    Submit(std::string(strUrl), timeout, pRead, [pPromise](HttpCheckResult result, bool bAborted) {
        if (bAborted) {
            result = {};
            result.m_dwError = InternetErrorFromCurl(CURLE_OPERATION_TIMEDOUT);
        }
        pPromise->set_value(std::move(result));
    });
    return answer.get();
}

void CTransferEngine::AbortAll()
{
    m_pLoop->m_bAbort.store(true);
    curl_multi_wakeup(m_pLoop->m_pMulti.get());
}

bool CTransferEngine::IsAborted() const { return m_pLoop->m_bAbort.load(); }

std::size_t CTransferEngine::Pending() const { return m_pLoop->m_nPending.load(); }

void CTransferEngine::Run(CLoop& loop)
{
    for (;;) {
        std::vector<std::unique_ptr<CJob>> incoming;
        bool bQuit = false;
        {
            std::lock_guard lock(loop.m_mx);
            incoming.swap(loop.m_incoming);
            bQuit = loop.m_bQuit;
        }
        if (loop.m_bAbort.load())
            loop.AbortEverything();
        for (auto& pJob : incoming)
            loop.Start(std::move(pJob));
        loop.StartReleased();
        if (bQuit && loop.m_jobs.empty())
            break;

        int nRunning = 0;
        curl_multi_perform(loop.m_pMulti.get(), &nRunning);
        int nLeft = 0;
        while (CURLMsg* pMsg = curl_multi_info_read(loop.m_pMulti.get(), &nLeft)) {
            if (pMsg->msg != CURLMSG_DONE)
                continue;
            CJob* pJob = nullptr;
            curl_easy_getinfo(pMsg->easy_handle, CURLINFO_PRIVATE, &pJob);
            const CURLcode nCode = pMsg->data.result;
            if (pJob)
                loop.HopEnded(pJob, nCode);
        }
        loop.StartReleased();
        const int nWaitMs = loop.ExpireHeld(Clock::now());
        if (!loop.m_released.empty())
            continue;
        {
            std::lock_guard lock(loop.m_mx);
            if (!loop.m_incoming.empty() || loop.m_bQuit)
                continue;
        }
        curl_multi_poll(loop.m_pMulti.get(), nullptr, 0, nWaitMs, nullptr);
    }
}
