#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/net/HttpCheckResult.h"

struct PageReadOptions;

// How an engine's transfers reach their servers.
struct TransferEngineOptions {
    // A PEM bundle of certificates trusted besides the system's (private
    // CAs); empty: the system's alone.
    std::string m_strCaFile;
    // Looks a host name up instead of libcurl's resolver (tests count the
    // look-ups with it); its addresses are given to libcurl as the host's.
    // Empty addresses: the name does not resolve.
    std::function<std::vector<std::string>(const std::string& strHost)> m_resolve;
};

// Every check request of a pass, driven by one event-loop thread through
// libcurl's multi interface: thousands of transfers at once cost sockets,
// not threads. The transfers share one DNS cache and one TLS session cache
// (a libcurl share handle) and the multi handle's connections, which stay
// open where an answer was read to its end. A host is looked up once: while
// its first transfer resolves the name, the others to that host wait for
// it, and then find it in the shared cache.
//
// Each request follows the hops of CHttpTransfer within its own time-out.
// AbortAll ends every transfer under way at once (and every one submitted
// later): the loop takes the handles out and calls their completions.
class CTransferEngine {
public:
    // The completion of a request, called once on the engine's thread: the
    // result, or bAborted when AbortAll ended it (the result is then empty).
    // It must not wait for another transfer of this engine.
    using Done = std::function<void(HttpCheckResult result, bool bAborted)>;

    // Starts the loop's thread; null when libcurl or the thread cannot be set up.
    static std::shared_ptr<CTransferEngine> Start(TransferEngineOptions options = {});
    // Aborts what still runs and joins the loop.
    ~CTransferEngine();
    CTransferEngine(const CTransferEngine&) = delete;
    CTransferEngine& operator=(const CTransferEngine&) = delete;

    // Queues a check of strUrl bounded by `timeout` (name look-ups and
    // redirects included). pRead (may be null: headers only) must stay alive
    // until `done` has been called. Thread-safe.
    void Submit(std::string strUrl, std::chrono::milliseconds timeout, const PageReadOptions* pRead, Done done);
    // Submit, then waits for the result; not from the engine's own thread.
    // An aborted request gives a result without an answer (a time-out).
    HttpCheckResult CheckAndWait(std::string_view strUrl, std::chrono::milliseconds timeout,
                                 const PageReadOptions* pRead);
    // Ends every transfer under way at once, and every later one as soon as
    // it is submitted. Returns without waiting. Thread-safe.
    void AbortAll();
    bool IsAborted() const;

    // Requests submitted and not yet completed.
    std::size_t Pending() const;

    struct CLoop;

private:
    CTransferEngine() = default;
    static void Run(CLoop& loop);

    std::shared_ptr<CLoop> m_pLoop; // shared with the loop's thread
    std::thread m_thread;
};
