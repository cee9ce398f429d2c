#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace {

struct ReasonRow {
    int m_nStatus;
    std::string_view m_strReason;
};

constexpr std::array<ReasonRow, 15> kReasons{{
    {200, "OK"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {418, "I'm a teapot"},
    {429, "Too Many Requests"},
    {500, "Internal Server Error"},
    {503, "Service Unavailable"},
    {100, "Continue"},
    {204, "No Content"},
}};

std::string_view ReasonFor(int nStatus)
{
    for (const auto& row : kReasons)
        if (row.m_nStatus == nStatus)
            return row.m_strReason;
    return "Status";
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string GzipCompress(std::string_view strBody)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&zs, strBody.size()) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(strBody.data()));
    zs.avail_in = static_cast<uInt>(strBody.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

bool SendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// The answer as sent: status line, the response's own headers, then the
// headers added to every answer. A HEAD request gets the head alone (with
// the Content-Length a GET would have), as HTTP/1.1 wants.
std::string ResponseText(const CTestHttpServer::CResponse& response, const HeaderList& extraHeaders,
                         bool bKeepAlive, bool bHead)
{
    std::string out = "HTTP/1.1 " + std::to_string(response.m_nStatus) + " " +
                      std::string(ReasonFor(response.m_nStatus)) + "\r\n";
    for (const auto& [name, value] : response.m_headers)
        out += name + ": " + value + "\r\n";
    for (const auto& [name, value] : extraHeaders)
        out += name + ": " + value + "\r\n";
    out += "Content-Length: " + std::to_string(response.m_strBody.size()) + "\r\n";
    out += bKeepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    out += "\r\n";
    if (!bHead)
        out += response.m_strBody;
    return out;
}

CTestHttpServer::CResponse Simple(int nStatus)
{
    return {nStatus, {{"Content-Type", "text/plain"}}, std::string(ReasonFor(nStatus)) + "\n"};
}

CTestHttpServer::CResponse Redirect(int nStatus, std::string strLocation)
{
    return {nStatus, {{"Location", std::move(strLocation)}, {"Content-Type", "text/plain"}}, "moved\n"};
}

// The path of a request target: an absolute form loses scheme and host.
std::string PathOf(std::string_view strTarget)
{
    if (const auto nScheme = strTarget.find("://"); nScheme != std::string_view::npos &&
                                                    strTarget.front() != '/') {
        const auto nSlash = strTarget.find('/', nScheme + 3);
        return nSlash == std::string_view::npos ? "/" : std::string(strTarget.substr(nSlash));
    }
    return std::string(strTarget);
}

} // namespace

// A request waiting for its answer, counted for the server and its address
// until End (or its end).
class CTestHttpServer::CInFlight {
public:
    CInFlight(std::atomic<std::size_t>& nServer, std::atomic<std::size_t>& nServerPeak, CHostCounters& host)
        : m_nServer(nServer), m_host(host)
    {
        Raise(nServerPeak, ++m_nServer);
        Raise(m_host.m_nPeak, ++m_host.m_nInFlight);
    }
    ~CInFlight() { End(); }
    CInFlight(const CInFlight&) = delete;
    CInFlight& operator=(const CInFlight&) = delete;

    // The request counts against its address's busy limit until End.
    void CountAsServing() { m_bServing = true; }

    void End()
    {
        if (m_bEnded)
            return;
        m_bEnded = true;
        if (m_bServing)
            --m_host.m_nServing;
        --m_host.m_nInFlight;
        --m_nServer;
    }

private:
    static void Raise(std::atomic<std::size_t>& nPeak, std::size_t nNow)
    {
        std::size_t nOld = nPeak.load();
        while (nNow > nOld && !nPeak.compare_exchange_weak(nOld, nNow)) {
        }
    }
    std::atomic<std::size_t>& m_nServer;
    CHostCounters& m_host;
    bool m_bServing = false;
    bool m_bEnded = false;
};

struct CTestHttpServer::CConnection {
    int m_fd = -1; // guarded by the server's m_mx; -1 once closed
    std::thread m_thread;
    std::atomic<bool> m_bDone{false};
};

std::string CTestHttpServer::CRequest::Header(std::string_view strName) const
{
    for (const auto& [name, value] : m_headers)
        if (EqualsNoCase(name, strName))
            return value;
    return {};
}

CTestHttpServer::CTestHttpServer(std::uint16_t nPort) { Listen({"127.0.0.1"}, nPort); }

CTestHttpServer::CTestHttpServer(const std::vector<std::string>& addresses, std::uint16_t nPort)
{
    Listen(addresses, nPort);
}

void CTestHttpServer::Listen(const std::vector<std::string>& addresses, std::uint16_t nPort)
{
    if (addresses.empty())
        throw std::runtime_error("no address to listen on");
    const auto closeAll = [this] {
        for (int fd : m_listens)
            ::close(fd);
        m_listens.clear();
    };
    // With port 0 the first address picks a free port; should another
    // address have it taken, the whole set tries again with a new one.
    for (int nAttempt = 0; m_listens.size() < addresses.size(); ++nAttempt) {
        closeAll();
        std::uint16_t nBound = nPort;
        for (const std::string& strAddress : addresses) {
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_port = htons(nBound);
            if (::inet_pton(AF_INET, strAddress.c_str(), &addr.sin_addr) != 1) {
                closeAll();
                throw std::runtime_error("not an IPv4 address: " + strAddress);
            }
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0)
                break;
            const int one = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 512) != 0) {
                ::close(fd);
                break;
            }
            socklen_t len = sizeof addr;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
            nBound = ntohs(addr.sin_port);
            m_listens.push_back(fd);
        }
        if (m_listens.size() < addresses.size() && (nPort != 0 || nAttempt == 20)) {
            closeAll();
            throw std::runtime_error("bind or listen failed");
        }
        if (m_listens.size() == addresses.size()) {
            sockaddr_in addr{};
            socklen_t len = sizeof addr;
            ::getsockname(m_listens.front(), reinterpret_cast<sockaddr*>(&addr), &len);
            m_nPort = ntohs(addr.sin_port);
        }
    }
    m_addresses = addresses;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        m_hosts.push_back(std::make_unique<CHostCounters>());

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        closeAll();
        throw std::runtime_error("pipe failed");
    }
    m_hWakeRead = pipeFds[0];
    m_hWakeWrite = pipeFds[1];
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CTestHttpServer::~CTestHttpServer()
{
    m_bStopping = true;
    {
        std::lock_guard lock(m_mxSleep);
    }
    m_cvStop.notify_all();
    const char c = 'x';
    [[maybe_unused]] const ssize_t n = ::write(m_hWakeWrite, &c, 1);
    if (m_acceptThread.joinable())
        m_acceptThread.join();

    // Wake every connection that still waits for a read or a write.
    std::vector<std::unique_ptr<CConnection>> connections;
    {
        std::lock_guard lock(m_mx);
        for (auto& pConn : m_connections)
            if (pConn->m_fd >= 0)
                ::shutdown(pConn->m_fd, SHUT_RDWR);
        connections.swap(m_connections);
    }
    for (auto& pConn : connections) {
        if (pConn->m_thread.joinable())
            pConn->m_thread.join();
        if (pConn->m_fd >= 0)
            ::close(pConn->m_fd);
    }
    for (int fd : m_listens)
        ::close(fd);
    ::close(m_hWakeRead);
    ::close(m_hWakeWrite);
}

std::string CTestHttpServer::Url(std::string_view strPath) const { return UrlOn(m_addresses.front(), strPath); }

std::string CTestHttpServer::UrlOn(std::string_view strAddress, std::string_view strPath) const
{
    return "http://" + std::string(strAddress) + ":" + std::to_string(m_nPort) + std::string(strPath);
}

const CTestHttpServer::CHostCounters* CTestHttpServer::HostCounters(std::string_view strAddress) const
{
    for (std::size_t i = 0; i < m_addresses.size(); ++i)
        if (m_addresses[i] == strAddress)
            return m_hosts[i].get();
    return nullptr;
}

void CTestHttpServer::SetBusyLimit(const std::string& strAddress, std::size_t nLimit, std::string strRetryAfter)
{
    auto* pHost = const_cast<CHostCounters*>(HostCounters(strAddress));
    if (!pHost)
        throw std::invalid_argument("not an address of this server: " + strAddress);
    std::lock_guard lock(m_mx);
    pHost->m_strRetryAfter = std::move(strRetryAfter);
    pHost->m_nBusyLimit = nLimit;
}

std::size_t CTestHttpServer::PeakRequestsInFlight(std::string_view strAddress) const
{
    const CHostCounters* pHost = HostCounters(strAddress);
    return pHost ? pHost->m_nPeak.load() : 0;
}

std::size_t CTestHttpServer::RequestCount(std::string_view strAddress) const
{
    const CHostCounters* pHost = HostCounters(strAddress);
    return pHost ? pHost->m_nRequests.load() : 0;
}

void CTestHttpServer::SetDelay(std::chrono::milliseconds delay) { m_nDelayMs = delay.count(); }

void CTestHttpServer::SetTrickleInterval(std::chrono::milliseconds interval)
{
    m_nTrickleMs = interval.count();
}

std::chrono::milliseconds CTestHttpServer::TrickleInterval() const
{
    return std::chrono::milliseconds(m_nTrickleMs.load());
}

void CTestHttpServer::Serve(std::string strPath, std::string_view strBody,
                            std::string_view strContentType, Encoding encoding)
{
    CResponse response;
    response.m_headers.emplace_back("Content-Type", std::string(strContentType));
    if (encoding == Gzip) {
        response.m_headers.emplace_back("Content-Encoding", "gzip");
        response.m_strBody = GzipCompress(strBody);
    } else {
        response.m_strBody = std::string(strBody);
    }
    ServeResponse(std::move(strPath), std::move(response));
}

void CTestHttpServer::SetFallback(CResponse response)
{
    std::lock_guard lock(m_mx);
    m_pFallback = std::make_shared<const CResponse>(std::move(response));
}

void CTestHttpServer::ServeResponse(std::string strPath, CResponse response)
{
    std::lock_guard lock(m_mx);
    m_served[std::move(strPath)] = std::make_shared<const CResponse>(std::move(response));
}

void CTestHttpServer::AddHeader(std::string strName, std::string strValue)
{
    std::lock_guard lock(m_mx);
    m_extraHeaders.emplace_back(std::move(strName), std::move(strValue));
}

std::size_t CTestHttpServer::RequestCount() const
{
    std::lock_guard lock(m_mx);
    return m_requests.size();
}

std::vector<CTestHttpServer::CRequest> CTestHttpServer::Requests() const
{
    std::lock_guard lock(m_mx);
    return m_requests;
}

std::size_t CTestHttpServer::ConnectionCount() const { return m_nConnections.load(); }

std::size_t CTestHttpServer::PeakRequestsInFlight() const { return m_nPeakInFlight.load(); }

bool CTestHttpServer::SleepFor(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mxSleep);
    return !m_cvStop.wait_for(lock, duration, [this] { return m_bStopping.load(); });
}

void CTestHttpServer::ReapFinished()
{
    std::vector<std::unique_ptr<CConnection>> finished;
    {
        std::lock_guard lock(m_mx);
        auto it = std::partition(m_connections.begin(), m_connections.end(),
                                 [](const auto& p) { return !p->m_bDone.load(); });
        std::move(it, m_connections.end(), std::back_inserter(finished));
        m_connections.erase(it, m_connections.end());
    }
    for (auto& pConn : finished) {
        pConn->m_thread.join();
        if (pConn->m_fd >= 0)
            ::close(pConn->m_fd);
    }
}

void CTestHttpServer::AcceptLoop()
{
    std::vector<pollfd> fds{{m_hWakeRead, POLLIN, 0}};
    for (int fd : m_listens)
        fds.push_back({fd, POLLIN, 0});
    while (!m_bStopping) {
        if (::poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR)
            break;
        ReapFinished();
        for (std::size_t i = 1; i < fds.size() && !m_bStopping; ++i)
            if (fds[i].revents & POLLIN)
                Accept(fds[i].fd, *m_hosts[i - 1]);
    }
}

void CTestHttpServer::Accept(int hListen, CHostCounters& host)
{
    const int fd = ::accept4(hListen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    ++m_nConnections;
    auto pConn = std::make_unique<CConnection>();
    CConnection* pRaw = pConn.get();
    pRaw->m_fd = fd;
    std::lock_guard lock(m_mx);
    pRaw->m_thread = std::thread([this, pRaw, fd, &host] {
        ServeConnection(fd, host);
        {
            std::lock_guard inner(m_mx);
            if (pRaw->m_fd >= 0) {
                ::close(pRaw->m_fd);
                pRaw->m_fd = -1;
            }
        }
        pRaw->m_bDone = true;
    });
    m_connections.push_back(std::move(pConn));
}

void CTestHttpServer::ServeConnection(int fd, CHostCounters& host)
{
    std::string buffer;
    char chunk[8192];
    while (!m_bStopping) {
        // Read one request head.
        size_t nEnd;
        while ((nEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            buffer.append(chunk, static_cast<size_t>(n));
            if (buffer.size() > (1u << 20))
                return; // no sane client sends such a head
        }
        const std::string head = buffer.substr(0, nEnd);
        buffer.erase(0, nEnd + 4);

        CRequest request;
        size_t nLineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, nLineEnd);
        const auto sp1 = requestLine.find(' ');
        const auto sp2 = requestLine.find(' ', sp1 == std::string::npos ? 0 : sp1 + 1);
        if (sp1 == std::string::npos || sp2 == std::string::npos)
            return;
        request.m_strMethod = requestLine.substr(0, sp1);
        request.m_strTarget = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        request.m_strPath = PathOf(request.m_strTarget);
        const bool bHttp10 = requestLine.ends_with("HTTP/1.0");
        while (nLineEnd != std::string::npos) {
            const size_t nStart = nLineEnd + 2;
            nLineEnd = head.find("\r\n", nStart);
            const std::string line = head.substr(nStart, nLineEnd == std::string::npos
                                                             ? std::string::npos
                                                             : nLineEnd - nStart);
            const auto colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            request.m_headers.emplace_back(line.substr(0, colon), std::move(value));
        }
        // A request body is read and dropped.
        size_t nBody = 0;
        if (const std::string len = request.Header("Content-Length"); !len.empty())
            std::from_chars(len.data(), len.data() + len.size(), nBody);
        while (buffer.size() < nBody) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        buffer.erase(0, nBody);

        {
            std::lock_guard lock(m_mx);
            m_requests.push_back(request);
        }
        ++host.m_nRequests;
        bool bKeepAlive = !bHttp10 && !EqualsNoCase(request.Header("Connection"), "close");
        CInFlight inFlight(m_nInFlight, m_nPeakInFlight, host);
        bool bAnswered = false;
        // A site that refuses bursts: beyond its limit, 429 at once.
        const std::size_t nBusyLimit = host.m_nBusyLimit.load();
        if (nBusyLimit != 0 && host.m_nServing.fetch_add(1) >= nBusyLimit) {
            --host.m_nServing;
            ++m_nBusyRefusals;
            CResponse response = Simple(429);
            HeaderList extraHeaders;
            {
                std::lock_guard lock(m_mx);
                if (!host.m_strRetryAfter.empty())
                    response.m_headers.emplace_back("Retry-After", host.m_strRetryAfter);
                extraHeaders = m_extraHeaders;
            }
            inFlight.End();
            bAnswered = SendAll(fd, ResponseText(response, extraHeaders, bKeepAlive,
                                                 request.m_strMethod == "HEAD"));
        } else {
            if (nBusyLimit != 0)
                inFlight.CountAsServing();
            bAnswered = Answer(fd, request, bKeepAlive, inFlight);
        }
        if (!bAnswered || !bKeepAlive)
            return;
    }
}

bool CTestHttpServer::Answer(int fd, const CRequest& request, bool& bKeepAlive, CInFlight& inFlight)
{
    if (const auto nDelay = m_nDelayMs.load(); nDelay > 0 && !SleepFor(std::chrono::milliseconds(nDelay)))
        return false;
    // /wait/MS/PATH: a latency of the link's own, then PATH's answer.
    std::string strPath = request.m_strPath;
    while (strPath.starts_with("/wait/")) {
        const std::size_t nSlash = strPath.find('/', 6);
        int nWaitMs = 0;
        const auto [p, ec] = std::from_chars(strPath.data() + 6, strPath.data() + std::min(nSlash, strPath.size()),
                                             nWaitMs);
        if (ec != std::errc() || nSlash == std::string::npos || nWaitMs < 0)
            break;
        if (!SleepFor(std::chrono::milliseconds(nWaitMs)))
            return false;
        strPath.erase(0, nSlash);
    }

    std::shared_ptr<const CResponse> pServed;
    std::shared_ptr<const CResponse> pFallback;
    HeaderList extraHeaders;
    {
        std::lock_guard lock(m_mx);
        extraHeaders = m_extraHeaders;
        pFallback = m_pFallback;
        auto it = m_served.find(strPath);
        if (it == m_served.end())
            it = m_served.find(strPath.substr(0, strPath.find('?')));
        if (it != m_served.end())
            pServed = it->second;
    }
    const bool bHead = request.m_strMethod == "HEAD";
    auto send = [&](const CResponse& response) {
        inFlight.End();
        return SendAll(fd, ResponseText(response, extraHeaders, bKeepAlive, bHead));
    };
    if (pServed)
        return send(*pServed);

    const std::string path = strPath.substr(0, strPath.find('?'));
    const std::string_view p = path;

    struct FixedRow {
        std::string_view m_strPath;
        int m_nStatus;
    };
    static constexpr std::array<FixedRow, 8> kFixed{{
        {"/200", 200}, {"/401", 401}, {"/403", 403}, {"/404", 404},
        {"/418", 418}, {"/500", 500}, {"/503", 503}, {"/302-no-location", 302},
    }};
    for (const auto& row : kFixed) {
        if (p != row.m_strPath)
            continue;
        CResponse response = Simple(row.m_nStatus);
        if (row.m_nStatus == 401)
            response.m_headers.emplace_back("WWW-Authenticate", "Basic realm=\"zorbel\"");
        return send(response);
    }
    if (p == "/301" || p == "/302" || p == "/303" || p == "/307" || p == "/308")
        return send(Redirect(std::stoi(path.substr(1)), "/200"));
    // Chains: the first hop is a 301 to the path of the next one.
    if (p == "/301-308" || p == "/301-302" || p == "/301-404")
        return send(Redirect(301, "/" + path.substr(5)));
    if (p == "/302-unfollowable")
        return send(Redirect(302, "mailto:nobody@example.invalid"));
    if (p == "/loop")
        return send(Redirect(302, "/loop"));
    if (p.starts_with("/status/")) {
        int nStatus = 0;
        std::from_chars(p.data() + 8, p.data() + p.size(), nStatus);
        if (nStatus < 100 || nStatus > 999)
            nStatus = 400;
        return send(Simple(nStatus));
    }
    if (p == "/hang" || p.starts_with("/hang/")) {
        // No answer; the connection ends once the client gives up and
        // closes it (or the server stops), so that a client that timed out
        // no longer counts as waiting.
        pollfd pfd{fd, POLLRDHUP, 0};
        while (!m_bStopping)
            if (::poll(&pfd, 1, 250) > 0 && (pfd.revents & (POLLRDHUP | POLLHUP | POLLERR)))
                break;
        return false;
    }
    if (p == "/close")
        return false;
    if (p == "/reset") {
        const linger lin{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lin, sizeof lin);
        return false; // the close that follows sends the reset
    }
    if (p == "/not-http") {
        SendAll(fd, "SSH-2.0-NotAWebServer\r\nthis is no answer of a web server\r\n\r\n");
        return false;
    }
    if (p == "/slow-headers") {
        const std::string text = ResponseText(Simple(200), extraHeaders, false, bHead);
        for (char c : text) {
            if (!SendAll(fd, std::string_view(&c, 1)) || !SleepFor(TrickleInterval()))
                return false;
        }
        bKeepAlive = false;
        return true;
    }
    if (p == "/huge-headers") {
        // A 200 followed by more header lines than any client keeps
        // (400 KB in lines of 1,000 bytes), then a short body.
        std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
        const std::string strLine = "X-Filler: " + std::string(988, 'h') + "\r\n";
        for (int i = 0; i < 400; ++i)
            head += strLine;
        head += "Content-Length: 2\r\nConnection: close\r\n\r\nok";
        SendAll(fd, head);
        return false;
    }
    if (p == "/large") {
        constexpr size_t kLarge = size_t{256} << 20;
        std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
        for (const auto& [name, value] : extraHeaders)
            head += name + ": " + value + "\r\n";
        head += "Content-Length: " + std::to_string(kLarge) + "\r\n\r\n";
        if (!SendAll(fd, head))
            return false;
        if (bHead)
            return true;
        const std::string block(64 * 1024, 'x');
        for (size_t nSent = 0; nSent < kLarge && !m_bStopping; nSent += block.size())
            if (!SendAll(fd, block))
                return false;
        return true;
    }
    if (p.starts_with("/ok/"))
        return send(Simple(200));
    if (p.starts_with("/missing/"))
        return send(Simple(404));
    if (p.starts_with("/moved/"))
        return send(Redirect(302, "/ok/" + path.substr(7)));
    if (p.starts_with("/permanent/"))
        return send(Redirect(301, "/ok/" + path.substr(11)));
    return send(pFallback ? *pFallback : Simple(404));
}
