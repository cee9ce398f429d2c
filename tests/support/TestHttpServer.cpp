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

constexpr std::array<ReasonRow, 14> kReasons{{
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

CTestHttpServer::CTestHttpServer(std::uint16_t nPort)
{
    m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_hListen < 0)
        throw std::runtime_error("socket failed");
    const int one = 1;
    ::setsockopt(m_hListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(nPort);
    if (::bind(m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_hListen, 512) != 0) {
        ::close(m_hListen);
        throw std::runtime_error("bind or listen failed");
    }
    socklen_t len = sizeof addr;
    ::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_nPort = ntohs(addr.sin_port);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ::close(m_hListen);
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
    ::close(m_hListen);
    ::close(m_hWakeRead);
    ::close(m_hWakeWrite);
}

std::string CTestHttpServer::Url(std::string_view strPath) const
{
    return "http://127.0.0.1:" + std::to_string(m_nPort) + std::string(strPath);
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
    std::array<pollfd, 2> fds{{{m_hListen, POLLIN, 0}, {m_hWakeRead, POLLIN, 0}}};
    while (!m_bStopping) {
        if (::poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR)
            break;
        ReapFinished();
        if (m_bStopping || !(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_nConnections;
        auto pConn = std::make_unique<CConnection>();
        CConnection* pRaw = pConn.get();
        pRaw->m_fd = fd;
        std::lock_guard lock(m_mx);
        pRaw->m_thread = std::thread([this, pRaw, fd] {
            ServeConnection(fd);
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
}

void CTestHttpServer::ServeConnection(int fd)
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
        bool bKeepAlive = !bHttp10 && !EqualsNoCase(request.Header("Connection"), "close");
        const std::size_t nInFlight = ++m_nInFlight;
        std::size_t nPeak = m_nPeakInFlight.load();
        while (nInFlight > nPeak && !m_nPeakInFlight.compare_exchange_weak(nPeak, nInFlight)) {
        }
        const bool bAnswered = Answer(fd, request, bKeepAlive);
        --m_nInFlight;
        if (!bAnswered || !bKeepAlive)
            return;
    }
}

bool CTestHttpServer::Answer(int fd, const CRequest& request, bool& bKeepAlive)
{
    if (const auto nDelay = m_nDelayMs.load(); nDelay > 0 && !SleepFor(std::chrono::milliseconds(nDelay)))
        return false;

    std::shared_ptr<const CResponse> pServed;
    HeaderList extraHeaders;
    {
        std::lock_guard lock(m_mx);
        extraHeaders = m_extraHeaders;
        auto it = m_served.find(request.m_strPath);
        if (it == m_served.end())
            it = m_served.find(request.m_strPath.substr(0, request.m_strPath.find('?')));
        if (it != m_served.end())
            pServed = it->second;
    }
    const bool bHead = request.m_strMethod == "HEAD";
    auto send = [&](const CResponse& response) {
        return SendAll(fd, ResponseText(response, extraHeaders, bKeepAlive, bHead));
    };
    if (pServed)
        return send(*pServed);

    const std::string path = request.m_strPath.substr(0, request.m_strPath.find('?'));
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
    return send(Simple(404));
}
