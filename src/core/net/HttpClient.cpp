#include "core/net/HttpClient.h"

#include <utility>

#include "core/net/HttpTransfer.h"
#include "core/net/TransferEngine.h"

CHttpClient::CHttpClient() : m_pCurl(NewHttpHandle()) {}

CHttpClient::CHttpClient(std::shared_ptr<CTransferEngine> pEngine) : m_pEngine(std::move(pEngine)) {}

CHttpClient::~CHttpClient() = default;

CHttpClient& CHttpClient::ForThisThread()
{
    thread_local CHttpClient s_client;
    return s_client;
}

HttpCheckResult CHttpClient::Check(std::string_view strUrl, std::chrono::milliseconds timeout,
                                   const PageReadOptions* pRead)
{
    if (m_pEngine)
        return m_pEngine->CheckAndWait(strUrl, timeout, pRead);

    // The handle goes to the transfer for this request and comes back, so
    // that its connections serve the next request of this thread.
    if (!m_pCurl)
        m_pCurl = NewHttpHandle();
    CURL* const pCurl = m_pCurl.get();
    CHttpTransfer transfer(std::move(m_pCurl));
    if (transfer.Begin(strUrl, std::chrono::steady_clock::now() + timeout, pRead)) {
        while (transfer.PrepareHop())
            if (!transfer.HopDone(curl_easy_perform(pCurl)))
                break;
    }
    m_pCurl = transfer.ReleaseHandle();
    return transfer.TakeResult();
}
