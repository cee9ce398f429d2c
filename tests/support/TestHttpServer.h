#pragma once

// CTestHttpServer: a small HTTP/1.1 server of the tests' own, on 127.0.0.1
// and an ephemeral port (or a given one). It lives exactly as long as the object: the
// constructor binds and starts serving, the destructor closes every
// connection (also those that are never answered) and joins every thread.
//
//     CTestHttpServer server;                 // serving at once
//     server.Url("/404")                      // "http://127.0.0.1:<port>/404"
//     server.SetDelay(50ms);                  // every answer waits this long first
//     server.Serve("/page.html", "<a href=...>", "text/html");
//     server.Serve("/page.gz.html", body, "text/html", CTestHttpServer::Gzip);
//     server.ServeResponse("/x", {.m_nStatus = 307, .m_headers = {{"Location", "/200"}}});
//     server.AddHeader("X-Name", "value");    // sent with every answer from now on
//     server.RequestCount(); server.Requests();  // what clients sent
//
// Several hosts: CTestHttpServer({"127.0.0.1", "127.0.0.2", ...}) listens on
// each of those loopback addresses with one port (all of 127.0.0.0/8 is this
// machine on Linux), and counts the requests of each address apart:
//     server.UrlOn("127.0.0.2", "/ok/1");    // "http://127.0.0.2:<port>/ok/1"
//     server.PeakRequestsInFlight("127.0.0.2");
//     server.SetBusyLimit("127.0.0.3", 4, "1"); // 429 + Retry-After: 1 beyond 4 at once
//
// Each connection runs on a thread of its own, so any number of clients may
// wait at the same time. HTTP/1.1 keep-alive is honoured. A request line in
// absolute form ("GET http://host/path", as a proxy receives it) is served
// by its path, so the server can also stand in as the proxy of a test.
// A HEAD request gets the head of the answer a GET would get, without body.
//
// Built-in paths (a query string is ignored when matching them):
//   /200                   200 "OK" with a short body
//   /status/N              status N with a short body (any N from 100 to 999)
//   /301 /302 /303 /307 /308  that status with Location: /200
//   /301-308 /301-302 /301-404  a 301 to /308, /302 or /404: the chains
//                          301 -> 308 -> 200, 301 -> 302 -> 200, 301 -> 404
//   /302-no-location       302 without a Location header
//   /302-unfollowable      302 with Location: mailto:nobody@example.invalid
//   /loop                  302 with Location: /loop, for ever
//   /401                   401 with WWW-Authenticate: Basic realm="zorbel"
//   /403 /404 /500 /503 /418   that status
//   /hang                  reads the request and never answers (the connection
//                          ends when the client closes it)
//   /close                 reads the request and closes without a byte
//   /reset                 reads the request and resets the connection (RST)
//   /not-http              answers with a line that is not an HTTP status line
//   /slow-headers          trickles a 200 answer one byte per TrickleInterval()
//   /large                 200 with a body of 256 MiB (sent while the client reads)
// Families for benchmarks and list tests (N is any text):
//   /ok/N  200    /missing/N  404    /moved/N  302 to /ok/N    /hang/N  never answers
//   /permanent/N  301 to /ok/N
//   /wait/MS/PATH          waits MS milliseconds (on top of SetDelay), then
//                          answers as PATH would; a page can so give each
//                          link a latency of its own
// Anything else that was not registered with Serve: 404, or the answer set
// with SetFallback (a site that answers every address).
//
// All methods may be called from any thread while the server runs.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

class CTestHttpServer {
public:
    // One answer for Serve/ServeResponse.
    struct CResponse {
        int m_nStatus = 200;
        std::vector<std::pair<std::string, std::string>> m_headers; // sent as given
        std::string m_strBody; // Content-Length is added
    };

    // What a client sent, as the server read it.
    struct CRequest {
        std::string m_strMethod;
        std::string m_strTarget; // as on the request line
        std::string m_strPath;   // the target's path (absolute form reduced)
        std::vector<std::pair<std::string, std::string>> m_headers;
        std::string Header(std::string_view strName) const; // "" when absent; name case-blind
    };

    enum Encoding { Plain, Gzip };

    // Port 0 (the default) takes an ephemeral port; a benchmark that writes
    // its page before the server starts names a port of its own.
    explicit CTestHttpServer(std::uint16_t nPort = 0);
    // Listens on each of these IPv4 addresses (at least one) with one port,
    // the given one or, for 0, one that is free on all of them. The first
    // address is the one of Url().
    explicit CTestHttpServer(const std::vector<std::string>& addresses, std::uint16_t nPort = 0);
    ~CTestHttpServer();
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    std::uint16_t Port() const { return m_nPort; }
    // "http://127.0.0.1:<port>" (the first address) followed by the path.
    std::string Url(std::string_view strPath) const;
    // The same on another of the addresses listened on.
    std::string UrlOn(std::string_view strAddress, std::string_view strPath) const;
    const std::vector<std::string>& Addresses() const { return m_addresses; }

    // From now on a request to strAddress that arrives while nLimit others
    // are being answered there (not counting those refused so) is answered
    // at once with 429 and "Retry-After: strRetryAfter" (no header when
    // empty), as a site that refuses bursts does. 0 lifts the limit.
    void SetBusyLimit(const std::string& strAddress, std::size_t nLimit, std::string strRetryAfter = "1");

    // Delay before every answer (0 by default).
    void SetDelay(std::chrono::milliseconds delay);
    // Pause between two bytes of /slow-headers (1 s by default).
    void SetTrickleInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds TrickleInterval() const;

    // Serves a body with status 200 at an exact path (query included, if
    // given). With Gzip the body is sent gzip-compressed with
    // Content-Encoding: gzip, whatever the client asked for.
    void Serve(std::string strPath, std::string_view strBody,
               std::string_view strContentType = "text/html", Encoding encoding = Plain);
    // Serves any answer at an exact path; takes precedence over built-in paths.
    void ServeResponse(std::string strPath, CResponse response);
    // Answers every path that nothing above answers, instead of 404.
    void SetFallback(CResponse response);
    // Adds a header to every answer sent from now on, after the answer's own.
    void AddHeader(std::string strName, std::string strValue);

    // Requests read so far (also those never answered).
    std::size_t RequestCount() const;
    std::vector<CRequest> Requests() const;
    // Connections accepted so far.
    std::size_t ConnectionCount() const;
    // The most requests that waited for their answer at one time so far: how
    // many requests at once a client really made (a request is waiting from
    // its head being read until its answer is sent, or, for the paths that
    // never answer, until the client closes the connection).
    std::size_t PeakRequestsInFlight() const;
    // Requests read and not yet answered (or given up by their client) now.
    std::size_t RequestsInFlight() const { return m_nInFlight.load(); }
    // The same for one of the addresses listened on (0 for any other).
    std::size_t PeakRequestsInFlight(std::string_view strAddress) const;
    std::size_t RequestCount(std::string_view strAddress) const;
    // Requests answered with 429 by a busy limit so far.
    std::size_t BusyRefusalCount() const { return m_nBusyRefusals.load(); }

private:
    struct CConnection;
    class CInFlight;
    // What is counted for each address listened on.
    struct CHostCounters {
        std::atomic<std::size_t> m_nInFlight{0};
        std::atomic<std::size_t> m_nPeak{0};
        std::atomic<std::size_t> m_nRequests{0};
        std::atomic<std::size_t> m_nServing{0};   // being answered, without the refused
        std::atomic<std::size_t> m_nBusyLimit{0}; // 0: none
        std::string m_strRetryAfter;              // guarded by the server's m_mx
    };
    void Listen(const std::vector<std::string>& addresses, std::uint16_t nPort);
    void AcceptLoop();
    void Accept(int hListen, CHostCounters& host);
    void ServeConnection(int fd, CHostCounters& host);
    const CHostCounters* HostCounters(std::string_view strAddress) const;
    // False once the server is stopping.
    bool SleepFor(std::chrono::milliseconds duration);
    // inFlight is ended just before the answer's first byte is sent, so
    // that a client never sees its answer while the server still counts it.
    bool Answer(int fd, const CRequest& request, bool& bKeepAlive, CInFlight& inFlight);
    void ReapFinished();

    std::vector<std::string> m_addresses;
    std::vector<int> m_listens; // one socket per address, in the same order
    std::vector<std::unique_ptr<CHostCounters>> m_hosts; // the same order
    int m_hWakeRead = -1;
    int m_hWakeWrite = -1;
    std::uint16_t m_nPort = 0;
    std::atomic<bool> m_bStopping{false};
    std::atomic<std::int64_t> m_nDelayMs{0};
    std::atomic<std::int64_t> m_nTrickleMs{1000};
    std::atomic<std::size_t> m_nConnections{0};
    std::atomic<std::size_t> m_nInFlight{0};
    std::atomic<std::size_t> m_nPeakInFlight{0};
    std::atomic<std::size_t> m_nBusyRefusals{0};

    mutable std::mutex m_mx; // guards everything below
    std::map<std::string, std::shared_ptr<const CResponse>> m_served;
    std::shared_ptr<const CResponse> m_pFallback; // null: 404
    std::vector<std::pair<std::string, std::string>> m_extraHeaders;
    std::vector<CRequest> m_requests;
    std::vector<std::unique_ptr<CConnection>> m_connections;

    std::mutex m_mxSleep;
    std::condition_variable m_cvStop; // wakes every sleeping or hanging answer

    std::thread m_acceptThread;
};
